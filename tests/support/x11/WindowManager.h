#pragma once

#include <QProcess>
#include <QString>

namespace orvexa::test {

// A window manager (openbox) on the display named by DISPLAY while it
// lives, for tests that need focus handled as on a desktop. Started, it has
// taken the screen and says so as EWMH asks; ended, it has let go of it.
class WindowManager {
public:
    WindowManager();
    ~WindowManager();  // ends it and waits until it has let go
    WindowManager(const WindowManager&) = delete;
    WindowManager& operator=(const WindowManager&) = delete;

    // True once it manages the screen and has taken a window in; the reason
    // otherwise.
    bool Start(int timeoutMs = 10000);
    QString Failure() const { return failure_; }

    // Whether an EWMH window manager runs on the display now.
    static bool Running();

private:
    QProcess process_;
    QString failure_;
};

}  // namespace orvexa::test
