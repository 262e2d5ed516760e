// The screen through the ScreenCast portal, against a portal of the test's
// own on a private session bus that hands out connections to a real
// PipeWire daemon with gstreamer's test video as the monitor: the session's
// requests and their options by the interface's version, the pixels read,
// the restore token kept and given back, a refusal that stands, and the
// remote-desktop session's own cast shared with input.
#include "core/Exception.h"
#include "platform/fake/FakeKeyStore.h"
#include "platform/pipewire/PipeWireScreen.h"
#include "platform/pipewire/PipeWireStream.h"
#include "platform/portal/PortalInput.h"
#include "platform/portal/PortalScreenCast.h"
#include "tests/platform/FakePortal.h"
#include "tests/support/PipeWireDaemon.h"

#include <gtest/gtest.h>

#include <QDBusConnection>

#include <thread>

using namespace orvexa;
using platform::ScreenSize;
using platform::pipewire::PipeWireScreen;
using platform::pipewire::PipeWireStream;
using platform::portal::PortalInput;
using platform::portal::PortalScreenCast;

namespace {

constexpr int kTimeoutMs = 10000;
const QString kSource = QStringLiteral("orvexa-test-monitor");
const QStringList kSourcePattern = {"pattern=solid-color", "foreground-color=0xff10a0f0"};
const QString kSourceCaps = QStringLiteral("video/x-raw,format=BGRx,width=64,height=48,framerate=30/1");

class PortalScreenTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!test::PipeWireDaemon::Installed())
            GTEST_SKIP() << "pipewire is not installed";
        ASSERT_TRUE(daemon.Start()) << daemon.Failure().toStdString();
        ASSERT_TRUE(daemon.StartVideoSource(kSource, kSourcePattern, kSourceCaps)) << daemon.Failure().toStdString();
        node = daemon.NodeId(kSource).value_or(0);
    }
    void Serve(unsigned screenCastVersion, bool refuse = false) {
        portal = std::make_unique<test::FakePortal>(2);
        portal->screenCastVersion = screenCastVersion;
        portal->refuse = refuse;
        portal->streamNode = node;
        portal->streamWidth = 64;
        portal->streamHeight = 48;
        portal->pipeWire = [this] { return daemon.Connect(); };
        ASSERT_TRUE(portal->StartService()) << "needs a session bus (tests/support/isolated-run gives each test one)";
    }
    // Reads the pixel while the test links the source to the screen's
    // consumer, as the desktop's session manager would.
    std::uint32_t FirstPixel(PipeWireScreen& screen, const QString& source = kSource) {
        screen.FirstFrameWait = std::chrono::milliseconds(kTimeoutMs);
        // The consumer of an earlier screen must be gone, or the link by
        // name may go to it instead of the one this read creates.
        EXPECT_TRUE(daemon.NodeGone(QLatin1String(PipeWireStream::NodeName())));
        std::thread link([this, source] { daemon.Link(source, QLatin1String(PipeWireStream::NodeName())); });
        std::uint32_t color = 0;
        try {
            color = screen.PixelColor(10, 10);
        } catch (const Exception& e) {
            ADD_FAILURE() << e.Message().toStdString();
        }
        link.join();
        return color;
    }

    test::PipeWireDaemon daemon;
    unsigned node = 0;
    std::shared_ptr<platform::FakeKeyStore> store = std::make_shared<platform::FakeKeyStore>();
    std::unique_ptr<test::FakePortal> portal;
};

constexpr std::uint32_t kColour = 0x10 | (0xa0 << 8) | (0xf0 << 16);

TEST_F(PortalScreenTest, VersionFourAsksOncePersistsAndTheTokenComesBackNextRun) {
    Serve(4);
    {
        auto cast = std::make_shared<PortalScreenCast>(QDBusConnection::sessionBus(), store);
        cast->RequestTimeoutMs = kTimeoutMs;
        PipeWireScreen screen([cast] { return cast->Open(); });
        EXPECT_TRUE(portal->Calls().isEmpty()) << "nothing is asked before the first read";
        EXPECT_EQ(FirstPixel(screen), kColour);
        EXPECT_EQ(screen.PixelColor(63, 47), kColour);
        EXPECT_EQ(screen.PixelColor(64, 0), 0u) << "outside the screen";
        EXPECT_EQ(screen.PrimarySize(), (ScreenSize{64, 48}));
        EXPECT_EQ(portal->Calls(), (QStringList{"CreateSession", "SelectSources cursor_mode=4 persist_mode=2 types=1",
                                                "Start", "OpenPipeWireRemote"}))
            << "asked once for every read";
    }
    EXPECT_EQ(store->DefaultValue(PortalScreenCast::RestoreTokenKey()), QStringLiteral("token-1"));
    // A desktop casts every session in a stream of its own (a source whose
    // consumer left does not always start again for the next one).
    const QString nextSource = kSource + QStringLiteral("-next");
    ASSERT_TRUE(daemon.StartVideoSource(nextSource, kSourcePattern, kSourceCaps)) << daemon.Failure().toStdString();
    portal->streamNode = daemon.NodeId(nextSource).value_or(0);
    {
        auto cast = std::make_shared<PortalScreenCast>(QDBusConnection::sessionBus(), store);
        cast->RequestTimeoutMs = kTimeoutMs;
        PipeWireScreen nextRun([cast] { return cast->Open(); });
        EXPECT_EQ(FirstPixel(nextRun, nextSource), kColour);
    }
    ASSERT_TRUE(portal->WaitForCalls(10));
    const QStringList calls = portal->Calls();
    EXPECT_EQ(calls.at(4), QStringLiteral("Close"));
    EXPECT_EQ(calls.at(6), QStringLiteral("SelectSources cursor_mode=4 persist_mode=2 restore_token=token-1 types=1"));
    EXPECT_EQ(store->DefaultValue(PortalScreenCast::RestoreTokenKey()), QStringLiteral("token-2"));
}

TEST_F(PortalScreenTest, EarlierVersionsAskOnlyWhatTheyHave) {
    struct Row {
        unsigned version;
        unsigned cursorModes;
        QString selectSources;
        bool cursorMetadata;
    };
    const Row rows[] = {
        {1, 7, "SelectSources types=1", false},               // no cursor modes yet
        {2, 1 | 2, "SelectSources types=1", false},           // no metadata offered
        {3, 7, "SelectSources cursor_mode=4 types=1", true},  // no persistence yet
    };
    for (const Row& row : rows) {
        Serve(row.version);
        portal->cursorModes = row.cursorModes;
        PortalScreenCast cast(QDBusConnection::sessionBus(), store);
        cast.RequestTimeoutMs = kTimeoutMs;
        const platform::ScreenCastStream stream = cast.Open();
        EXPECT_TRUE(stream.pipeWire.Valid());
        EXPECT_EQ(stream.node, node);
        EXPECT_EQ(stream.size, (ScreenSize{64, 48}));
        EXPECT_EQ(stream.cursorMetadata, row.cursorMetadata) << "version " << row.version;
        EXPECT_EQ(portal->Calls().value(1), row.selectSources) << "version " << row.version;
        EXPECT_TRUE(store->DefaultValue(PortalScreenCast::RestoreTokenKey()).isNull());
        portal.reset();
    }
}

TEST_F(PortalScreenTest, ARefusalIsAnErrorThatStandsWithoutAskingAgain) {
    Serve(4, true);
    auto cast = std::make_shared<PortalScreenCast>(QDBusConnection::sessionBus(), store);
    cast->RequestTimeoutMs = kTimeoutMs;
    PipeWireScreen screen([cast] { return cast->Open(); });
    QString first;
    try {
        screen.PixelColor(0, 0);
    } catch (const Exception& e) {
        first = e.Message();
    }
    EXPECT_TRUE(first.contains(QStringLiteral("not allowed"))) << first.toStdString();
    EXPECT_THROW(screen.PrimarySize(), Exception) << "no made-up size";
    EXPECT_THROW(screen.CursorPosition(), Exception);
    EXPECT_EQ(portal->Calls(),
              (QStringList{"CreateSession", "SelectSources cursor_mode=4 persist_mode=2 types=1", "Start", "Close"}))
        << "the refused session is closed";
    EXPECT_TRUE(store->DefaultValue(PortalScreenCast::RestoreTokenKey()).isNull());
}

TEST_F(PortalScreenTest, InputAndScreenShareTheRemoteDesktopSession) {
    Serve(4);
    auto input = std::make_shared<PortalInput>(QDBusConnection::sessionBus(), store);
    input->RequestTimeoutMs = kTimeoutMs;
    PipeWireScreen screen([input] { return input->OpenScreenCast(); });
    EXPECT_EQ(FirstPixel(screen), kColour);
    input->KeybdEvent('A', 0, 0);
    ASSERT_TRUE(portal->WaitForCalls(8));
    EXPECT_EQ(portal->Calls(),
              (QStringList{"CreateSession", "SelectDevices persist_mode=2 types=3",
                           "SelectSources cursor_mode=4 types=1", "Start", "NotifyKeyboardKeycode 42 1",
                           "NotifyKeyboardKeycode 42 0", "OpenPipeWireRemote", "NotifyKeyboardKeycode 30 1"}))
        << "one session, one question; its screen cast is not asked to persist by itself";
    EXPECT_FALSE(screen.CursorPosition()) << "the test video carries no cursor";
}

TEST(PortalScreenWithoutPortal, NoPortalIsAClearErrorNotAHang) {
    PortalScreenCast cast(QDBusConnection::sessionBus(), nullptr);
    cast.RequestTimeoutMs = 3000;
    try {
        cast.Open();
        FAIL() << "no error";
    } catch (const Exception& e) {
        EXPECT_TRUE(e.Message().startsWith(QStringLiteral("The desktop's screen-cast portal is not available")))
            << e.Message().toStdString();
    }
}

}  // namespace
