// An X server that is not there yet when the program starts: the automation
// connection is tried again at start-up for a moment, and again when a
// script first needs it. Each case runs its own Xvfb on a display number of
// its own, in a process of its own.
#include "automation/ProgramContext.h"
#include "automation/ScreenMouse.h"
#include "core/Exception.h"
#include "platform/Screen.h"
#include "platform/Services.h"
#include "platform/Windows.h"
#include "platform/x11/X11Backend.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QThread>

#include <memory>

#include <signal.h>
#include <sys/wait.h>
#include <thread>

using namespace orvexa;

namespace {

// A display number no server uses now.
int FreeDisplay() {
    for (int n = 140; n < 240; ++n) {
        if (!QFileInfo::exists(QStringLiteral("/tmp/.X11-unix/X%1").arg(n)) &&
            !QFileInfo::exists(QStringLiteral("/tmp/.X%1-lock").arg(n)))
            return n;
    }
    return -1;
}

// An Xvfb of the test's own, started on request.
class LateServer {
public:
    LateServer() : display_(FreeDisplay()) { qputenv("DISPLAY", QByteArray(":") + QByteArray::number(display_)); }
    ~LateServer() {
        if (pid_ > 0) {
            ::kill(static_cast<pid_t>(pid_), SIGTERM);
            ::waitpid(static_cast<pid_t>(pid_), nullptr, 0);
        }
    }
    LateServer(const LateServer&) = delete;
    LateServer& operator=(const LateServer&) = delete;

    bool Usable() const { return display_ >= 0; }
    // Any thread.
    void Start() {
        QProcess::startDetached(QStringLiteral("Xvfb"),
                                {QStringLiteral(":%1").arg(display_), QStringLiteral("-screen"), QStringLiteral("0"),
                                 QStringLiteral("640x480x24"), QStringLiteral("-nolisten"), QStringLiteral("tcp"),
                                 QStringLiteral("-noreset")},
                                QString(), &pid_);
    }
    // Waits until the server takes connections.
    bool WaitUntilUp() {
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < 10000) {
            if (QFileInfo::exists(QStringLiteral("/tmp/.X11-unix/X%1").arg(display_)))
                return true;
            QThread::msleep(20);
        }
        return false;
    }

private:
    int display_;
    qint64 pid_ = 0;
};

}  // namespace

TEST(DisplayReconnect, AServerThatComesUpWhileTheProgramStartsIsReached) {
    LateServer server;
    ASSERT_TRUE(server.Usable());
    // The server comes up a moment after the first attempt.
    QElapsedTimer clock;
    clock.start();
    std::thread starter([&server] {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        server.Start();
    });
    platform::x11::X11InputServices x11 = platform::x11::CreateX11InputServices(platform::x11::kStartupAttempts);
    starter.join();
    ASSERT_NE(x11.screen, nullptr) << "not reached after " << clock.elapsed() << " ms";
    ASSERT_NE(x11.input, nullptr);
    EXPECT_EQ(x11.screen->PrimarySize().width, 640);
}

TEST(DisplayReconnect, AConnectionThatFailedAtStartUpIsMadeOnFirstUse) {
    LateServer server;
    ASSERT_TRUE(server.Usable());
    platform::x11::X11InputServices x11 = platform::x11::CreateX11InputServices();
    ASSERT_EQ(x11.screen, nullptr) << "no server yet";
    platform::Services services;
    services.connectDisplay = [] { return platform::x11::CreateX11InputServices(); };
    ProgramContext context(std::move(services));
    EXPECT_THROW(context.Screen(), Exception) << "still no server";

    server.Start();
    ASSERT_TRUE(server.WaitUntilUp());
    // Asked again no sooner than a second after the last try.
    QElapsedTimer clock;
    clock.start();
    int width = 0;
    while (width == 0 && clock.elapsed() < 10000) {
        try {
            width = GetScreenWidth(context.Screen());
        } catch (const Exception&) {
            QThread::msleep(100);
        }
    }
    EXPECT_EQ(width, 640);
    EXPECT_NO_THROW(context.Input());
    // The windows came with the same connection attempt.
    EXPECT_NO_THROW(context.Windows().FocusedWindow());
}
