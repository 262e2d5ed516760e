#pragma once

#include "core/LineExecutor.h"
#include "engine/EngineClient.h"
#include "engine/EngineIO.h"
#include "engine/ExecutionInterrupt.h"
#include "engine/PyRef.h"
#include "engine/PythonErrors.h"
#include "engine/PythonLock.h"
#include "engine/PythonRuntime.h"
#include "engine/PythonTraceback.h"

#include <QList>
#include <QPointer>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

namespace orvexa::platform {
class KeyStore;
}

namespace orvexa {

// The component that owns the embedded interpreter: its runtime
// (PythonRuntime: the library, loaded and bound when the owner's layout is
// loaded, and the C API) is its own; it starts the interpreter with its
// clients and output redirection, executes code in the one shared
// "__main__" namespace, turns interpreter errors into exceptions of the
// EPythonError family, and stops it all again.
//
// Locking: between executions the GUI thread holds no interpreter lock;
// every operation below that touches the interpreter takes it for its own
// time. Raw slots used from C++ outside an execution need a PythonLock.
class TPythonEngine : public QObject, public LineExecutor {
    Q_OBJECT
public:
    using TNotifyEvent = TDynamicDll::TNotifyEvent;
    using TPathInitializationEvent = std::function<void(QObject* sender, QString& path)>;

    static constexpr const char* MainModuleName = "__main__";

    explicit TPythonEngine(QObject* owner = nullptr);
    ~TPythonEngine() override;

    // The library and its C API, with the loading settings (DllName,
    // APIVersion, RegVersion, AutoLoad, the fatal policy...).
    PythonRuntime& Runtime() { return py_; }
    const PythonRuntime& Runtime() const { return py_; }
    // The owner's layout is loaded: the runtime loads the library when its
    // AutoLoad is set, and the engine starts the interpreter then.
    void LayoutLoaded() { py_.LayoutLoaded(); }
    bool IsInitialized() const { return py_.IsInitialized(); }
    bool Finalizing() const { return py_.Finalizing(); }
    void RequireInitialized() const { py_.RequireInitialized(); }

    // Settings.
    bool AutoFinalize = true;
    bool RedirectIO = true;
    bool UseWindowsConsole = false;
    TNotifyEvent OnAfterInit;
    TPathInitializationEvent OnPathInitialization;
    // The output redirection step of the initialisation: run with the
    // interpreter up, before the clients are initialised, when RedirectIO
    // is set and IO refers to a component. Whoever sets it makes the
    // redirection (the "pyio" module) and owns what it makes. Its
    // exceptions leave the initialisation.
    std::function<void(TPythonEngine& engine)> OnRedirectOutput;
    // Where the interpreter's module search path is looked up and kept (the
    // registry path step); none: no path is looked up.
    std::shared_ptr<platform::KeyStore> Registry;
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

    // Execution.
    void ExecuteLines(const QStringList& lines) override;
    // The lines are compiled at their lines in their file, under the file's
    // name: tracebacks and syntax errors name the file and the line, and
    // show the line as the file has it.
    void ExecuteLinesAt(const QStringList& lines, const SourcePlace& place) override;
    void ExecuteText(const QString& text);
    // A new reference to the result; null only when the interpreter gave
    // none without an error. Hold a PythonLock while using the result. With
    // a file name the code is compiled as that file's.
    PyObject* Run_CommandAsObject(const QString& text, int mode, const QString& fileName = QString());
    static QString NormalizeCode(const QString& text);
    // When an interpreter error is pending: prints it, reads its traceback
    // and raises it converted. Otherwise nothing.
    void RaisePendingError();
    // Raises the converted form of the last printed error.
    [[noreturn]] void RaiseError();

    PyObject* GlobalVars() const { return globalVars_.get(); }
    void SetGlobalVars(PyObject* value);
    PyObject* LocalVars() const { return localVars_.get(); }
    void SetLocalVars(PyObject* value);

private:
    // The console step before the library loads; the version adjustment and
    // the start after the binding.
    void BeforeLoad();
    void AfterLoad();
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
    void SetDictionary(PyRef& held, PyObject* value, const char* property);
    // Gives the interpreter's line cache the lines of the file the place is
    // in, as they were read: a traceback shows the lines that ran, also
    // once the file has changed or when it is not UTF-8.
    void RememberSourceLines(const SourcePlace& place);
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

    // First: it outlives everything below that holds interpreter objects.
    PythonRuntime py_;
    QStringList initScript_;
    QPointer<EngineIO> io_;
    bool initThreads_ = false;
    bool useLastKnownVersion_ = false;
    int executionDepth_ = 0;
    // The engine's own work inside an execution: printing an error,
    // flushing the streams.
    int reportingDepth_ = 0;
    // Ends the executing script code when the program closes.
    ExecutionInterrupt interrupt_{py_, [this] { return InterruptScriptCode(); }};
    QList<EngineClient*> clients_;
    TPythonTraceback traceback_{py_};
    PyRef globalVars_;
    PyRef localVars_;
    // The file lines last given to the line cache.
    std::shared_ptr<const QStringList> rememberedLines_;
};

// The running engine; raises "No Python engine was created" when there is
// none, and "The Python engine is not properly initialized" when it is
// neither initialised nor finalising. Extension methods reach the engine
// only through these.
TPythonEngine& GetRunningEngine();
bool IsEngineAvailable();

}  // namespace orvexa
