// The session found at start-up from the environment and the X server.
#include "platform/Session.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

using orvexa::platform::DesktopSession;
using orvexa::platform::DetectSession;

namespace {
DesktopSession With(std::map<std::string, QByteArray> environment, bool xwayland = false) {
    return DetectSession([&](const char* name) { return environment[name]; }, xwayland);
}
}  // namespace

TEST(Session, TheSessionTypeDecidesAndAnXWaylandServerOverridesIt) {
    EXPECT_FALSE(With({}).IsWayland()) << "nothing said: X11, as before";
    EXPECT_FALSE(With({{"XDG_SESSION_TYPE", "x11"}}).IsWayland());
    EXPECT_TRUE(With({{"XDG_SESSION_TYPE", "wayland"}}).IsWayland());
    EXPECT_TRUE(With({{"XDG_SESSION_TYPE", " Wayland\n"}}).IsWayland());
    EXPECT_FALSE(With({{"XDG_SESSION_TYPE", "tty"}}).IsWayland());
    // A Wayland socket alone counts only when the session says nothing.
    EXPECT_TRUE(With({{"WAYLAND_DISPLAY", "wayland-0"}}).IsWayland());
    EXPECT_FALSE(With({{"XDG_SESSION_TYPE", "x11"}, {"WAYLAND_DISPLAY", "wayland-0"}}).IsWayland());
    // The X server itself is the surest sign.
    const DesktopSession xwayland = With({{"XDG_SESSION_TYPE", "x11"}}, true);
    EXPECT_TRUE(xwayland.IsWayland());
    EXPECT_TRUE(xwayland.xwayland);
    EXPECT_FALSE(With({{"XDG_SESSION_TYPE", "wayland"}}).xwayland);
}
