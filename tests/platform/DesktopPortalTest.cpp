// The choice of the input backend at start-up: the portal on a Wayland
// session whose bus has one, unless a variable says otherwise; X11 (or
// nothing) everywhere else. Run on a private session bus.
#include "platform/Services.h"
#include "platform/desktop/DesktopServices.h"
#include "platform/pipewire/PipeWireScreen.h"
#include "platform/portal/PortalInput.h"
#include "platform/portal/PortalShortcutCapture.h"
#include "tests/platform/FakePortal.h"

#include <gtest/gtest.h>

using namespace orvexa;

namespace {

// Environment variables set for as long as it lives.
class Variables {
public:
    explicit Variables(std::initializer_list<std::pair<const char*, const char*>> values) {
        for (const auto& [name, value] : values) {
            saved_.emplace_back(name, qEnvironmentVariableIsSet(name), qgetenv(name));
            qputenv(name, value);
        }
    }
    ~Variables() {
        for (const auto& [name, wasSet, value] : saved_) {
            if (wasSet)
                qputenv(name, value);
            else
                qunsetenv(name);
        }
    }
    Variables(const Variables&) = delete;
    Variables& operator=(const Variables&) = delete;

private:
    std::vector<std::tuple<const char*, bool, QByteArray>> saved_;
};

bool ScreenIsTheCasts(const platform::Services& services) {
    return dynamic_cast<platform::pipewire::PipeWireScreen*>(services.screen.get()) != nullptr;
}

bool InputIsThePortals(const platform::Services& services) {
    return dynamic_cast<platform::portal::PortalInput*>(services.input.get()) != nullptr;
}

TEST(DesktopPortal, AWaylandSessionWithAPortalTakesItsInput) {
    test::FakePortal portal(1);
    ASSERT_TRUE(portal.StartService());
    {
        const Variables wayland{
            {"XDG_SESSION_TYPE", "wayland"}, {"ORVEXA_INPUT_BACKEND", ""}, {"WAYLAND_DISPLAY", "orvexa-none"}};
        const platform::Services services = platform::CreateDesktopServices();
        EXPECT_TRUE(InputIsThePortals(services));
        EXPECT_TRUE(services.session.portalInput);
        EXPECT_TRUE(dynamic_cast<platform::portal::PortalShortcutCapture*>(services.keyCapture.get()));
        EXPECT_TRUE(services.session.portalShortcuts);
        EXPECT_TRUE(ScreenIsTheCasts(services));
        EXPECT_TRUE(services.session.portalScreen);
        EXPECT_TRUE(portal.Calls().isEmpty()) << "nothing asked before the first input";
        // The test has no Wayland compositor: what cannot be typed is not
        // known, and the session says why.
        EXPECT_EQ(services.session.keymapUnknown, QStringLiteral("no Wayland display to connect to"));
    }
    {
        const Variables screenOnly{
            {"XDG_SESSION_TYPE", "wayland"}, {"ORVEXA_INPUT_BACKEND", "x11"}, {"ORVEXA_SCREEN_BACKEND", ""}};
        const platform::Services services = platform::CreateDesktopServices();
        EXPECT_TRUE(ScreenIsTheCasts(services)) << "a screen cast of its own";
        EXPECT_FALSE(InputIsThePortals(services));
    }
    {
        const Variables forcedX11Screen{{"XDG_SESSION_TYPE", "wayland"}, {"ORVEXA_SCREEN_BACKEND", "x11"}};
        const platform::Services services = platform::CreateDesktopServices();
        EXPECT_FALSE(ScreenIsTheCasts(services));
        EXPECT_FALSE(services.session.portalScreen);
    }
    {
        const Variables forcedX11{
            {"XDG_SESSION_TYPE", "wayland"}, {"ORVEXA_INPUT_BACKEND", "x11"}, {"ORVEXA_KEY_BACKEND", "x11"}};
        const platform::Services services = platform::CreateDesktopServices();
        EXPECT_FALSE(InputIsThePortals(services));
        EXPECT_FALSE(services.session.portalInput);
        EXPECT_FALSE(services.session.portalShortcuts);
    }
    {
        const Variables x11Session{
            {"XDG_SESSION_TYPE", "x11"}, {"ORVEXA_INPUT_BACKEND", ""}, {"ORVEXA_SCREEN_BACKEND", ""}};
        const platform::Services services = platform::CreateDesktopServices();
        EXPECT_FALSE(InputIsThePortals(services)) << "an X11 session keeps X11";
        EXPECT_FALSE(ScreenIsTheCasts(services));
    }
    {
        const Variables forcedPortal{
            {"XDG_SESSION_TYPE", "x11"}, {"ORVEXA_INPUT_BACKEND", "portal"}, {"ORVEXA_SCREEN_BACKEND", "portal"}};
        const platform::Services services = platform::CreateDesktopServices();
        EXPECT_TRUE(InputIsThePortals(services));
        EXPECT_TRUE(ScreenIsTheCasts(services));
    }
}

TEST(DesktopPortal, AWaylandSessionWithoutAPortalKeepsX11) {
    const Variables wayland{{"XDG_SESSION_TYPE", "wayland"}, {"ORVEXA_INPUT_BACKEND", ""}};
    const platform::Services services = platform::CreateDesktopServices();
    EXPECT_FALSE(InputIsThePortals(services));
    EXPECT_FALSE(services.session.portalInput);
    EXPECT_FALSE(ScreenIsTheCasts(services));
    EXPECT_FALSE(services.session.portalScreen);
}

}  // namespace
