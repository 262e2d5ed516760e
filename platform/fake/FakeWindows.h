#pragma once

#include "platform/Windows.h"

#include <mutex>
#include <vector>

namespace orvexa::platform {

// Top-level windows that a test lists and focuses. Activation moves the focus
// at once unless the test makes the desktop refuse it; the requests are
// recorded. Guarded, so that script threads may use it too.
class FakeWindows final : public Windows {
public:
    struct Window {
        WindowId id = 0;
        QString title;
        bool visible = true;
    };

    std::vector<WindowInfo> VisibleWindows() override;
    WindowId FocusedWindow() override;
    QString Title(WindowId window) override;
    bool RequestActivation(WindowId window) override;

    // The windows, the one in front first.
    void SetWindows(std::vector<Window> windows);
    void Focus(WindowId window);
    void SetTitle(WindowId window, const QString& title);
    void RefuseActivation(bool refuse);
    std::vector<WindowId> ActivationRequests();

private:
    std::mutex mutex_;
    std::vector<Window> windows_;
    WindowId focused_ = 0;
    bool refuse_ = false;
    std::vector<WindowId> requests_;
};

}  // namespace orvexa::platform
