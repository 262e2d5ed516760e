#include "tests/support/x11/WindowManager.h"

#include "platform/x11/X11Display.h"
#include "platform/x11/X11ErrorTrap.h"
#include "tests/support/x11/TitledWindow.h"

#include <QElapsedTimer>
#include <QThread>

#include <memory>

#include <X11/Xatom.h>
#include <X11/Xlib.h>

namespace orvexa::test {

WindowManager::WindowManager() = default;

WindowManager::~WindowManager() {
    if (process_.state() == QProcess::NotRunning)
        return;
    process_.terminate();
    if (!process_.waitForFinished(5000)) {
        process_.kill();
        process_.waitForFinished(5000);
    }
    // Its check window goes with it; the next test finds no manager.
    QElapsedTimer clock;
    clock.start();
    while (Running() && clock.elapsed() < 5000)
        QThread::msleep(20);
}

bool WindowManager::Running() {
    platform::x11::X11Display display = platform::x11::X11Display::Open();
    if (!display)
        return false;
    Display* d = display.get();
    platform::x11::X11ErrorTrap trap(d);
    const Atom check = XInternAtom(d, "_NET_SUPPORTING_WM_CHECK", False);
    const auto windowOf = [&](Window window) -> Window {
        Atom type = 0;
        int format = 0;
        unsigned long count = 0, after = 0;
        unsigned char* data = nullptr;
        Window found = 0;
        if (XGetWindowProperty(d, window, check, 0, 1, False, XA_WINDOW, &type, &format, &count, &after, &data) ==
                Success &&
            data != nullptr && count == 1)
            found = *reinterpret_cast<Window*>(data);
        if (data != nullptr)
            XFree(data);
        return found;
    };
    const Window wm = windowOf(DefaultRootWindow(d));
    return wm != 0 && windowOf(wm) == wm;
}

bool WindowManager::Start(int timeoutMs) {
    process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process_.start(QStringLiteral("openbox"), {QStringLiteral("--sm-disable")});
    if (!process_.waitForStarted(5000)) {
        failure_ = QStringLiteral("openbox did not start: ") + process_.errorString();
        return false;
    }
    QElapsedTimer clock;
    clock.start();
    // It says it runs before it has read its configuration; it is ready
    // once it has taken a window in.
    std::unique_ptr<platform::x11::TitledWindow> probe;
    while (clock.elapsed() < timeoutMs) {
        if (!probe && Running()) {
            probe = std::make_unique<platform::x11::TitledWindow>(QStringLiteral("Window manager probe"));
            probe->Show();
        }
        if (probe && probe->Managed())
            return true;
        if (process_.state() == QProcess::NotRunning) {
            failure_ = QStringLiteral("openbox ended at once with code %1").arg(process_.exitCode());
            return false;
        }
        QThread::msleep(20);
    }
    failure_ = QStringLiteral("openbox did not take the screen");
    return false;
}

}  // namespace orvexa::test
