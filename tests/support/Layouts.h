#pragma once

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QString>
#include <QStringList>

#include <functional>

namespace orvexa::test {

// Sets the X server's keyboard layout with setxkbmap (arguments as it takes
// them). The server keeps it only while some client stays connected: it
// resets its keyboard when its last client leaves.
inline bool SetLayout(const QStringList& arguments) {
    return QProcess::execute(QStringLiteral("setxkbmap"), arguments) == 0;
}

// The whole keyboard map as `xmodmap -pke` prints it.
inline QString KeyboardMapText() {
    QProcess xmodmap;
    xmodmap.start(QStringLiteral("xmodmap"), {QStringLiteral("-pke")});
    xmodmap.waitForFinished(10000);
    return QString::fromUtf8(xmodmap.readAllStandardOutput());
}

// Asks until `done` holds, handling this thread's events meanwhile; false
// when it did not within `ms`.
inline bool Eventually(const std::function<bool()>& done, int ms = 5000) {
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > ms)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return true;
}

}  // namespace orvexa::test
