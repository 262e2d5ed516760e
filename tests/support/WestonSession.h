#pragma once

#include <QProcess>
#include <QString>
#include <QTemporaryDir>

namespace orvexa::test {

// A Wayland session of its own for a test: weston's headless backend with
// XWayland, in a runtime directory of its own. XWayland starts at the first
// X connection; XDisplay() names it.
class WestonSession {
public:
    WestonSession();
    ~WestonSession();
    WestonSession(const WestonSession&) = delete;
    WestonSession& operator=(const WestonSession&) = delete;

    // Weston runs and its X server takes connections ("" on failure, with
    // the reason in Failure()).
    bool Start(int timeoutMs = 15000);
    // ":N", the X display of the session's XWayland.
    QString XDisplay() const { return xDisplay_; }
    QString WaylandDisplay() const { return socket_; }
    QString RuntimeDir() const { return runtime_.path(); }
    QString Failure() const { return failure_; }

private:
    QTemporaryDir runtime_;
    QString socket_;
    QString log_;
    QString xDisplay_;
    QString failure_;
    QProcess weston_;
};

}  // namespace orvexa::test
