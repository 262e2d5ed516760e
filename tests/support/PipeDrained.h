#pragma once

#include <QElapsedTimer>
#include <QThread>

#include <sys/ioctl.h>

namespace orvexa::test {

// Waits until the reader of a pipe has taken everything written to it; fd is
// any descriptor of the pipe (FIONREAD counts what the pipe holds). False
// when bytes were still there after 10 s.
inline bool WaitUntilPipeDrained(int fd) {
    QElapsedTimer clock;
    clock.start();
    int unread = 0;
    while (ioctl(fd, FIONREAD, &unread) == 0 && unread > 0 && clock.elapsed() < 10000)
        QThread::msleep(1);
    return ioctl(fd, FIONREAD, &unread) == 0 && unread == 0;
}

}  // namespace orvexa::test
