#include "tests/support/WestonSession.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QThread>

namespace orvexa::test {

WestonSession::WestonSession()
    : socket_(QStringLiteral("orvexa-test-%1").arg(QCoreApplication::applicationPid())),
      log_(runtime_.filePath(QStringLiteral("weston.log"))) {
    QFile::setPermissions(runtime_.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

WestonSession::~WestonSession() {
    if (weston_.state() == QProcess::NotRunning)
        return;
    weston_.terminate();  // weston ends its XWayland with it
    if (!weston_.waitForFinished(5000)) {
        weston_.kill();
        weston_.waitForFinished(2000);
    }
}

bool WestonSession::Start(int timeoutMs) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime_.path());
    env.remove(QStringLiteral("DISPLAY"));
    env.remove(QStringLiteral("WAYLAND_DISPLAY"));
    weston_.setProcessEnvironment(env);
    weston_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    weston_.start(QStringLiteral("weston"),
                  {QStringLiteral("--backend=headless-backend.so"), QStringLiteral("--xwayland"),
                   QStringLiteral("--socket=") + socket_, QStringLiteral("--width=1024"),
                   QStringLiteral("--height=768"), QStringLiteral("--idle-time=0"), QStringLiteral("--log=") + log_});
    if (!weston_.waitForStarted(5000)) {
        failure_ = QStringLiteral("weston did not start (is it installed?)");
        return false;
    }
    // Weston names the display it listens on for XWayland in its log.
    static const QRegularExpression listening(QStringLiteral("xserver listening on display (:\\d+)"));
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < timeoutMs) {
        if (weston_.state() == QProcess::NotRunning) {
            failure_ = QStringLiteral("weston ended at start");
            return false;
        }
        QFile log(log_);
        if (log.open(QIODevice::ReadOnly)) {
            const QRegularExpressionMatch match = listening.match(QString::fromUtf8(log.readAll()));
            if (match.hasMatch()) {
                xDisplay_ = match.captured(1);
                if (QFileInfo::exists(QStringLiteral("/tmp/.X11-unix/X") + xDisplay_.mid(1)))
                    return true;
            }
        }
        QThread::msleep(20);
    }
    failure_ = QStringLiteral("weston's X server was not listening after %1 ms").arg(timeoutMs);
    return false;
}

}  // namespace orvexa::test
