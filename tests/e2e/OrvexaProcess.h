#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>

namespace orvexa::test {

// Runs an external tool to its end and returns its standard output
// (trimmed); exitCode receives its exit code (-1 when it did not start or
// ran past the timeout).
QString RunTool(const QString& program, const QStringList& args, int* exitCode = nullptr,
                int timeoutMs = 20000);

// The real orvexa binary, started in a working directory on the X server
// named by DISPLAY, driven and observed from outside the process with
// xdotool, as a user would.
class OrvexaProcess {
public:
    explicit OrvexaProcess(const QString& workingDir);
    ~OrvexaProcess();
    OrvexaProcess(const OrvexaProcess&) = delete;
    OrvexaProcess& operator=(const OrvexaProcess&) = delete;

    // Waits until a visible window titled exactly "Orvexa" exists; returns
    // its X id, or the empty string.
    QString WaitForMainWindow(int timeoutMs = 30000);
    // Types keys (xdotool key syntax) into the focused main window.
    void Keys(const QString& window, const QStringList& keys);
    // Waits for the process to end; returns its exit code, or -1.
    int WaitForExit(int timeoutMs = 20000);

    QString StandardError() const { return stderr_; }
    QProcess& process() { return process_; }

private:
    QProcess process_;
    QString stderr_;
};

}  // namespace orvexa::test
