#pragma once

#include "core/LineExecutor.h"
#include "engine/EngineClient.h"
#include "engine/EngineIO.h"
#include "engine/ExecutionInterrupt.h"
#include "engine/PythonErrors.h"
#include "engine/PythonInterface.h"
#include "engine/PythonLock.h"
#include "engine/PythonTraceback.h"

#include <QList>
#include <QPointer>
#include <QString>
#include <QStringList>

#include <functional>
#include <thread>

namespace orvexa {

// The component that owns the embedded interpreter: it loads and binds the
// library (TPythonInterface), starts the interpreter with its clients and
// output redirection, executes code in the one shared "__main__" namespace,
// turns interpreter errors into exceptions of the EPythonError family, and
// stops it all again.
//
// Locking: between executions the GUI thread holds no interpreter lock;
// every operation below that touches the interpreter takes it for its own
// time. Raw slots used from C++ outside an execution need a PythonLock.
class TPythonEngine : public TPythonInterface, public LineExecutor {
    Q_OBJECT
public:
    using TPathInitializationEvent = std::function<void(QObject* sender, QString& path)>;

    static constexpr const char* MainModuleName = "__main__";

    explicit TPythonEngine(QObject* owner = nullptr);
    ~TPythonEngine() override;

    // Settings.
    bool AutoFinalize = true;
    bool RedirectIO = true;
    bool UseWindowsConsole = false;
    TNotifyEvent OnAfterInit;
    TPathInitializationEvent OnPathInitialization;
    // How long threads a script left running get to end when the
    // interpreter stops; those still running then are abandoned (they end
    // when they next need the interpreter).
    double ThreadGraceSeconds = 1.0;

    const QStringList& InitScript() const { return initScript_; }
    void SetInitScript(const QStringList& lines) { initScript_ = lines; }
    EngineIO* IO() const { return io_; }
    void SetIO(EngineIO* io) { io_ = io; }
    bool InitThreads() const { return initThreads_; }
    void SetInitThreads(bool value);
    bool UseLastKnownVersion() const { return useLastKnownVersion_; }
    void SetUseLastKnownVersion(bool value);

    // State.
    QList<EngineClient*> Clients() const { return clients_; }
    TPythonTraceback& Traceback() { return traceback_; }
    // Executions in progress on the stack (nested ones count).
    int ExecutionDepth() const { return executionDepth_; }

    // Lifecycle.
    void Initialize();
    // Never raises: a client's failure to finalise is written to standard
    // error and the shutdown goes on.
    void Finalize();
    void AttachClient(EngineClient* client);
    void DetachClient(EngineClient* client);
    // A loaded module of that name (borrowed), or null.
    PyObject* LookupModule(const char* name);
    // None with one more reference: an extension method's "nothing".
    PyObject* NewNoneRef();

    // Execution.
    void ExecuteLines(const QStringList& lines) override;
    void ExecuteText(const QString& text);
    // A new reference to the result; null only when the interpreter gave
    // none without an error. Hold a PythonLock while using the result.
    PyObject* Run_CommandAsObject(const QString& text, int mode);
    static QString NormalizeCode(const QString& text);
    // When an interpreter error is pending: prints it, reads its traceback
    // and raises it converted. Otherwise nothing.
    void RaisePendingError();
    // Raises the converted form of the last printed error.
    [[noreturn]] void RaiseError();
    // Ends the calling script code because the program closes: sets
    // SystemExit and returns null, for an extension method to return.
    PyObject* RaiseClosing();
    QString PyObjectAsText(PyObject* obj);

    PyObject* GlobalVars() const { return globalVars_; }
    void SetGlobalVars(PyObject* value);
    PyObject* LocalVars() const { return localVars_; }
    void SetLocalVars(PyObject* value);

protected:
    // ORVEXA_LIBPYTHON, a library file name or path: an interpreter of the
    // user's choice, older than the system's one too.
    QString FirstChoice() const override;
    void BeforeLoad() override;
    void AfterLoad() override;

private:
    void AdjustVersion();
    void RegistryPathStep();
    void IgnoreUnusablePythonHome();
    void SetArgumentVector();
    void SearchScriptsFolderFirst();
    void PrepareForShutdown();
    void ClientDestroyed(EngineClient* client);
    // On the main thread, when the program closes: raises SystemExit in the
    // script code running there, unless the engine's own code runs or that
    // code has already been told. True when raised.
    bool InterruptScriptCode();
    void SetDictionary(PyObject*& held, PyObject* value, const char* property);
    // Prints the pending error as the interpreter's own error printing does,
    // without ever ending the process (that printing calls exit() for
    // SystemExit), and keeps it in sys.last_type, last_value,
    // last_traceback and last_exc.
    void PrintPendingError();
    // Flushes the interpreter's sys.stdout and sys.stderr, keeping a
    // pending error as it is.
    void FlushLine();
    QString TypeName(PyObject* type);
    [[noreturn]] void RaiseSyntaxError(PyObject* type, PyObject* value, const QString& typeName);

    QStringList initScript_;
    QPointer<EngineIO> io_;
    bool initThreads_ = false;
    bool useLastKnownVersion_ = false;
    int executionDepth_ = 0;
    // The engine's own work inside an execution: printing an error,
    // flushing the streams.
    int reportingDepth_ = 0;
    // The thread that started the interpreter, and whether its script code
    // has been told that the program closes.
    std::thread::id mainThread_;
    bool closingRaised_ = false;
    // Ends the executing script code when the program closes.
    ExecutionInterrupt interrupt_{*this, [this] { return InterruptScriptCode(); }};
    QList<EngineClient*> clients_;
    TPythonTraceback traceback_;
    PyObject* globalVars_ = nullptr;
    PyObject* localVars_ = nullptr;
};

// The running engine; raises "No Python engine was created" when there is
// none, and "The Python engine is not properly initialized" when it is
// neither initialised nor finalising. Extension methods reach the engine
// only through these.
TPythonEngine& GetRunningEngine();
bool IsEngineAvailable();

}  // namespace orvexa
