#pragma once

#include <QElapsedTimer>
#include <QFileInfo>
#include <QString>
#include <QThread>

namespace orvexa::test {

// Waits until a file has grown to at least `bytes` (for output another
// thread or process writes), at most 10 s; false when it did not.
inline bool WaitForOutput(const QString& name, qint64 bytes) {
    QElapsedTimer timer;
    timer.start();
    while (QFileInfo(name).size() < bytes) {
        if (timer.elapsed() > 10000)
            return false;
        QThread::msleep(10);
    }
    return true;
}

}  // namespace orvexa::test
