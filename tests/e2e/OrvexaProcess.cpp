#include "tests/e2e/OrvexaProcess.h"

#include <QElapsedTimer>
#include <QRegularExpression>

#include <stdexcept>

#include <signal.h>

namespace orvexa::test {

QString RunTool(const QString& program, const QStringList& args, int* exitCode, int timeoutMs) {
    QProcess tool;
    tool.start(program, args);
    const bool finished = tool.waitForStarted(timeoutMs) && tool.waitForFinished(timeoutMs);
    if (!finished)
        tool.kill();
    if (exitCode)
        *exitCode = finished && tool.exitStatus() == QProcess::NormalExit ? tool.exitCode() : -1;
    return QString::fromUtf8(tool.readAllStandardOutput()).trimmed();
}

OrvexaProcess::OrvexaProcess(const QString& workingDir, Streams streams) { Start(workingDir, streams, {}, {}); }

OrvexaProcess::OrvexaProcess(const QString& workingDir, const QStringList& arguments,
                             const QProcessEnvironment& variables) {
    Start(workingDir, Streams::Open, arguments, variables);
}

void OrvexaProcess::Start(const QString& workingDir, Streams streams, const QStringList& arguments,
                          const QProcessEnvironment& variables) {
    const QString binary = qEnvironmentVariable("ORVEXA_BINARY");
    if (binary.isEmpty())
        throw std::runtime_error("ORVEXA_BINARY is not set");
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));  // a real window on the X server
    env.insert(variables);
    process_.setProcessEnvironment(env);
    process_.setWorkingDirectory(workingDir);
    if (streams == Streams::Closed) {
        // The shell closes the three and becomes the program (same process).
        process_.start(
            QStringLiteral("/bin/sh"),
            QStringList{QStringLiteral("-c"), QStringLiteral("exec \"$0\" \"$@\" <&- >&- 2>&-"), binary} + arguments);
    } else {
        process_.start(binary, arguments);
    }
    if (!process_.waitForStarted(10000))
        throw std::runtime_error("orvexa did not start");
}

OrvexaProcess::~OrvexaProcess() {
    if (process_.state() != QProcess::NotRunning) {
        process_.kill();
        process_.waitForFinished(5000);
    }
}

QString OrvexaProcess::WaitForMainWindow(int timeoutMs) {
    return WaitForWindowTitled(QStringLiteral("Orvexa"), timeoutMs);
}

QString OrvexaProcess::WaitForWindowTitled(const QString& title, int timeoutMs) {
    const QString name = QStringLiteral("^%1$").arg(QRegularExpression::escape(title));
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < timeoutMs && process_.state() == QProcess::Running) {
        const QStringList ids = VisibleWindows(name);
        if (!ids.isEmpty())
            return ids.constFirst();
        process_.waitForFinished(100);
    }
    stderr_ += QString::fromUtf8(process_.readAllStandardError());
    return QString();
}

QStringList OrvexaProcess::VisibleWindows(const QString& name) {
    QStringList args{QStringLiteral("search"), QStringLiteral("--all"), QStringLiteral("--onlyvisible"),
                     QStringLiteral("--pid"), QString::number(process_.processId())};
    if (!name.isEmpty())
        args << QStringLiteral("--name") << name;
    return RunTool(QStringLiteral("xdotool"), args).split(u'\n', Qt::SkipEmptyParts);
}

void OrvexaProcess::Keys(const QString& window, const QStringList& keys) {
    // The keys arrive in order, and the program handles them in order: a
    // key that opens a menu has opened it before the next is handled.
    RunTool(QStringLiteral("xdotool"), {QStringLiteral("windowfocus"), QStringLiteral("--sync"), window});
    for (const QString& key : keys)
        RunTool(QStringLiteral("xdotool"), {QStringLiteral("key"), key});
}

void OrvexaProcess::Run(const QString& window) {
    // From the File menu: its item runs as its key is handled, where the Run
    // button's mnemonic clicks the button a moment later.
    Keys(window, {QStringLiteral("alt+f"), QStringLiteral("r")});
}

void OrvexaProcess::MenuExit(const QString& window) {
    // Up from the menu's first item wraps round to its last, Exit, whatever
    // items are disabled.
    Keys(window, {QStringLiteral("alt+f"), QStringLiteral("Up"), QStringLiteral("Return")});
}

void OrvexaProcess::Signal(int signal) {
    // A process that has ended has id 0, and kill(0, ...) would signal the
    // test's own process group.
    const auto pid = static_cast<pid_t>(process_.processId());
    if (pid > 0)
        ::kill(pid, signal);
}

int OrvexaProcess::WaitForExit(int timeoutMs) {
    const bool ended = process_.waitForFinished(timeoutMs);
    stderr_ += QString::fromUtf8(process_.readAllStandardError());
    if (!ended || process_.exitStatus() != QProcess::NormalExit)
        return -1;
    return process_.exitCode();
}

}  // namespace orvexa::test
