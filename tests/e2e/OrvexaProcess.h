#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>

namespace orvexa::test {

// Runs an external tool to its end and returns its standard output
// (trimmed); exitCode receives its exit code (-1 when it did not start or
// ran past the timeout).
QString RunTool(const QString& program, const QStringList& args, int* exitCode = nullptr, int timeoutMs = 20000);

// The real orvexa binary, started in a working directory on the X server
// named by DISPLAY, driven and observed from outside the process with
// xdotool, as a user would.
class OrvexaProcess {
public:
    enum class Streams {
        Open,   // standard error is read by the test
        Closed  // started with descriptors 0, 1 and 2 closed, as some launchers do
    };
    explicit OrvexaProcess(const QString& workingDir, Streams streams = Streams::Open);
    // Started with arguments, and with environment variables set or replaced.
    OrvexaProcess(const QString& workingDir, const QStringList& arguments, const QProcessEnvironment& variables);
    ~OrvexaProcess();
    OrvexaProcess(const OrvexaProcess&) = delete;
    OrvexaProcess& operator=(const OrvexaProcess&) = delete;

    // Waits until a visible window titled exactly "Orvexa" exists; returns
    // its X id, or the empty string.
    QString WaitForMainWindow(int timeoutMs = 30000);
    // The same for a window titled exactly `title`.
    QString WaitForWindowTitled(const QString& title, int timeoutMs = 5000);
    // The X ids of the process's visible windows (its menus too), those
    // whose name matches the regular expression `name` if one is given.
    QStringList VisibleWindows(const QString& name = QString());
    // Types keys (xdotool key syntax) into the focused main window.
    void Keys(const QString& window, const QStringList& keys);
    // Chooses File > Run with the keyboard: the script is armed once the
    // program has handled the keys.
    void Run(const QString& window);
    // Chooses File > Exit with the keyboard.
    void MenuExit(const QString& window);
    // Sends a signal to the process.
    void Signal(int signal);
    // Waits for the process to end; returns its exit code, or -1 (still
    // running at the timeout, or ended by a signal).
    int WaitForExit(int timeoutMs = 20000);

    QString StandardError() const { return stderr_; }
    QProcess& process() { return process_; }

private:
    void Start(const QString& workingDir, Streams streams, const QStringList& arguments,
               const QProcessEnvironment& variables);

    QProcess process_;
    QString stderr_;
};

}  // namespace orvexa::test
