#pragma once

#include <QObject>
#include <QString>

#include <functional>
#include <memory>

namespace orvexa {

class KeystrokeQueue;
class TextBinds;
class ArmedNames;
class LineExecutor;
class ProgramContext;
class TBindary;
class TPythonConsoleInputOutput;
class TPythonEngine;
class TPythonModule;

// Why a file cannot be run with --run, one sentence; empty when it can: it
// must be a readable regular file whose name ends in ".orx".
QString ScriptRunProblem(const QString& fileName);

// One script run from the command line (--run), without any window, by the
// same interpreter, module "orvex" and binds as the main window runs it
// with. What the script prints goes to standard output and its tracebacks
// to standard error; input() reads standard input.
class ScriptRun : public QObject {
    Q_OBJECT
public:
    // The exit codes of a run.
    static constexpr int kSucceeded = 0;
    static constexpr int kMainFailed = 1;

    // Starts the interpreter with the module (a library that cannot be
    // loaded ends the process with exit code 1). The context outlives the
    // run; the application object exists.
    explicit ScriptRun(ProgramContext& context);
    ~ScriptRun() override;

    // Runs the script file: arms its binds (MAIN runs to its end), then,
    // when it has a TIMER or KEY bind, handles their events until Stop.
    // Returns kSucceeded, or kMainFailed when MAIN ended with an error of
    // its own (not the one that ends script code when the program closes).
    int Run(const QString& fileName);

    // The program is closing (Ctrl+C, SIGTERM, SIGHUP, the stop hot key):
    // disarms, stops the key capture and ends the event loop. Quitting has
    // been requested.
    void Stop();

    // Disarms the script (its timers stop, its keys run nothing) or arms it
    // again (MAIN runs again, as Run does in the main window); the run goes
    // on either way.
    void SetArmed(bool armed);
    bool Armed() const { return armed_; }
    // The run lasts until Stop even when the script has nothing more to do
    // (a tray icon offers Run again and Exit).
    void SetKeepRunning(bool keep) { keepRunning_ = keep; }

    // Told whenever the script is armed or disarmed.
    std::function<void(bool)> OnArmedChanged;
    // Told of each error of the script's code (printed already): its
    // exception and text, one line.
    std::function<void(const QString&)> OnScriptError;

protected:
    bool event(QEvent* event) override;

private:
    ProgramContext& context_;
    // Created in this order and destroyed in the reverse order: "pyio"
    // stops the interpreter when it goes, before the IO component, the
    // engine and the module.
    TPythonModule* module_ = nullptr;
    TPythonEngine* engine_ = nullptr;
    TPythonConsoleInputOutput* io_ = nullptr;
    std::unique_ptr<TPythonModule> pyio_;
    // What the binds execute through: the engine, until the program begins
    // to close.
    std::unique_ptr<LineExecutor> executor_;
    std::unique_ptr<TBindary> binds_;
    bool armed_ = false;
    KeystrokeQueue* keystrokes_ = nullptr;
    TextBinds* textBinds_ = nullptr;
    // The stop hot key's name; empty when there is none.
    QString stopKey_;
    bool keepRunning_ = false;
    QString fileName_;
    // The key names armed, told to the program's other processes.
    ArmedNames* armedNames_ = nullptr;
};

}  // namespace orvexa
