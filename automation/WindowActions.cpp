#include "automation/WindowActions.h"

#include "platform/Windows.h"

#include <algorithm>

namespace orvexa {

namespace {

using Clock = std::chrono::steady_clock;

bool FocusedTitleContains(platform::Windows& windows, const QString& text) {
    return FocusedWindowTitle(windows).contains(text, Qt::CaseSensitive);
}

// Waits until `done` holds, looking every kFocusPollMs, at most `milliseconds`
// (one more look when the time is up).
WindowOutcome PollUntil(const std::function<bool()>& done, int milliseconds, const ResponsiveWait& wait) {
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(milliseconds);
    for (;;) {
        if (done())
            return WindowOutcome::Done;
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0)
            return WindowOutcome::NotDone;
        if (!wait(static_cast<int>(std::min<long long>(left, kFocusPollMs))))
            return WindowOutcome::Closing;
    }
}

}  // namespace

QString FocusedWindowTitle(platform::Windows& windows) {
    const platform::WindowId focused = windows.FocusedWindow();
    return focused == 0 ? QString() : windows.Title(focused);
}

WindowOutcome ActivateWindow(platform::Windows& windows, const QString& text, const ResponsiveWait& wait) {
    const std::vector<platform::WindowInfo> visible = windows.VisibleWindows();
    const auto match = std::find_if(visible.begin(), visible.end(), [&text](const platform::WindowInfo& window) {
        return window.title.contains(text, Qt::CaseSensitive);
    });
    if (match == visible.end() || !windows.RequestActivation(match->id))
        return WindowOutcome::NotDone;
    const platform::WindowId wanted = match->id;
    return PollUntil([&] { return windows.FocusedWindow() == wanted; }, kActivationTimeoutMs, wait);
}

WindowOutcome WaitForWindowTitle(platform::Windows& windows, const QString& text, int milliseconds,
                                 const ResponsiveWait& wait) {
    return PollUntil([&] { return FocusedTitleContains(windows, text); }, milliseconds, wait);
}

}  // namespace orvexa
