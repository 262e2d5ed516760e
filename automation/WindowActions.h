#pragma once

#include <QString>

#include <chrono>
#include <functional>

namespace orvexa::platform {
class Windows;
}  // namespace orvexa::platform

namespace orvexa {

// The window primitives behind the orvex module's methods: the focused
// window's title, bringing a window to the front by its title, and waiting
// for a title. A title matches a text that it contains, letter case and all.

// Waits about `milliseconds` while the program stays responsive (the wait
// of Sleep); false when the program is closing and the caller must stop.
using ResponsiveWait = std::function<bool(int milliseconds)>;

enum class WindowOutcome {
    Done,     // the window was activated, or the title came
    NotDone,  // no such window, the desktop refused, or the time ran out
    Closing   // the program is closing: the caller ends the script
};

// How long the desktop has to move the focus once asked, and how often
// the focus is looked at meanwhile and during WaitForWindowTitle.
inline constexpr int kActivationTimeoutMs = 2000;
inline constexpr int kFocusPollMs = 20;

// The title of the window that has the focus; empty when none has.
QString FocusedWindowTitle(platform::Windows& windows);

// Asks for the first visible window (the one in front first) whose title
// contains `text` to be raised and focused, and waits until the focus is
// on it, at most kActivationTimeoutMs. NotDone when no title matches or the
// focus did not come.
WindowOutcome ActivateWindow(platform::Windows& windows, const QString& text, const ResponsiveWait& wait);

// Waits until the focused window's title contains `text`, looking every
// kFocusPollMs: Done as soon as it does (also at once), NotDone once
// `milliseconds` have passed without it. The title is looked at once more
// when the time is up; a delay of 0 or less looks once.
WindowOutcome WaitForWindowTitle(platform::Windows& windows, const QString& text, int milliseconds,
                                 const ResponsiveWait& wait);

}  // namespace orvexa
