#pragma once

#include "core/LineExecutor.h"
#include "engine/EngineClient.h"
#include "engine/EngineIO.h"
#include "engine/ExecutionWatch.h"
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
#include <unordered_map>

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
//
// Staying in charge: while code runs on the GUI thread, the engine's watch
// (ExecutionWatch) has the program's events processed from inside that code
// every few tens of milliseconds (PumpEvents). No code starts from inside that processing (MayStart
// says so to whoever would start some), so no bind ever runs nested inside
// another by accident; the nesting the module's Sleep allows stays as it
// is. Stop (StopCode) makes the running code end with SystemExit where it
// is, and the script's threads at their next instruction.
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
    // The interpreter starts as soon as its library is loaded and bound.
    // Off: loading and binding (and their fatal failures) stay where the
    // layout is loaded, and the owner calls Initialize when it wants the
    // interpreter (a window shows first, its interpreter right after).
    bool InitializeOnLoad = true;
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
    // A script error was printed: not the SystemExit that the program gives
    // code it stops or leaves when it closes. On the GUI thread.
    std::function<void()> OnErrorReported;

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
    // Each line list is compiled once: its code is kept for the next
    // executions of the same lines at the same places (the bind of a key
    // pressed again) until ForgetCompiledCode.
    void ExecuteLinesAt(const QStringList& lines, const SourcePlace& place) override;
    void ForgetCompiledCode() override;
    void ExecuteText(const QString& text);
    bool MayStart() const override { return pumpDepth_ == 0 && !stopping_; }
    void StopCode() override;
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

    // A stream whose flush does nothing (it writes each text as it comes):
    // when it is sys.stdout or sys.stderr, the flush after each execution
    // passes it by instead of calling into it. With the interpreter's lock.
    void SetStreamWithoutBuffer(PyObject* stream);

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
    // On the main thread, from inside running script code: processes the
    // program's events for a moment, then raises SystemExit when the code
    // was stopped (or the program closes) and has not been told yet. False
    // when raised.
    bool PumpEvents();
    // What comes before an execution starts, and after it has ended.
    class ExecutionScope;
    // Before the outermost execution: threads of a stopped script have been
    // told to end, so that a new run's threads are not.
    void AwaitStoppedThreads();
    // time.sleep, as the script code on the main thread gets it: asleep in
    // slices, with the calls queued for the main thread made between them
    // (PumpEvents, the interrupt), so that a bind asleep in time.sleep(60)
    // leaves the windows answering and ends at Stop. Other threads, and
    // sleeps outside executions, get the interpreter's own.
    void InstallMainThreadSleep();
    // Puts the interpreter's own time.sleep back before the interpreter
    // stops: threads it leaves running keep sleeping for real (a sleep that
    // returned at once would turn their loops into busy loops that fight the
    // shutdown for the interpreter's lock).
    void RestoreInterpreterSleep();
    friend PyObject* MainThreadSleep(PyObject* self, PyObject* args);
    PyObject* SleepOnMainThread(PyObject* args);
    // Run_CommandAsObject, the code compiled under the file's name; with
    // keepCompiled, the code of the same text and file compiled before is
    // taken from compiledCode_, and new code is kept there.
    PyObject* RunCommand(const QString& text, int mode, const QString& fileName, bool keepCompiled);
    // The code of text compiled as file fileName's, from compiledCode_ or
    // compiled now and kept; null, with the compiler's error pending, when
    // it does not compile. Borrowed.
    PyObject* KeptCompiled(const QString& text, const QString& fileName, int mode);
    void SetDictionary(PyRef& held, PyObject* value, const char* property);
    // Gives the interpreter's line cache the lines of the file the place is
    // in, as they were read: a traceback shows the lines that ran, also
    // once the file has changed or when it is not UTF-8.
    void RememberSourceLines(const SourcePlace& place);
    // Prints the pending error as the interpreter's own error printing does,
    // without ever ending the process (that printing calls exit() for
    // SystemExit), and keeps it in sys.last_type, last_value,
    // last_traceback and last_exc. The SystemExit that the program gave the
    // code (a stop, the program closing) is kept but not printed. True when
    // printed.
    bool PrintPendingError();
    // Whether the error is the SystemExit of a stop or of the program's
    // closing.
    bool IsProgramsOwnExit(PyObject* type, PyObject* value);
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
    // Events processed from inside running code.
    int pumpDepth_ = 0;
    // Code that runs was stopped and has not ended yet.
    bool stopping_ = false;
    // Keeps the program answering while code runs, ends the executing code
    // when the program closes, and the script's threads on Stop.
    ExecutionWatch watch_{py_, {[this] { return PumpEvents(); }, [this] { return !InterruptScriptCode(); }}};
    QList<EngineClient*> clients_;
    TPythonTraceback traceback_{py_};
    PyRef globalVars_;
    PyRef localVars_;
    // The stream FlushLine passes by (held, so that no other object takes
    // its address).
    PyRef streamWithoutBuffer_;
    // Code compiled by ExecuteLinesAt, by file name and text.
    std::unordered_map<QString, PyRef> compiledCode_;
    // The file lines last given to the line cache.
    std::shared_ptr<const QStringList> rememberedLines_;
    // The interpreter's own time.sleep.
    PyRef interpreterSleep_;
};

// The running engine; raises "No Python engine was created" when there is
// none, and "The Python engine is not properly initialized" when it is
// neither initialised nor finalising. Extension methods reach the engine
// only through these.
TPythonEngine& GetRunningEngine();
bool IsEngineAvailable();

}  // namespace orvexa
