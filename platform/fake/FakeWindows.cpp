#include "platform/fake/FakeWindows.h"

#include <algorithm>

namespace orvexa::platform {

std::vector<WindowInfo> FakeWindows::VisibleWindows() {
    const std::lock_guard lock(mutex_);
    std::vector<WindowInfo> visible;
    for (const Window& window : windows_)
        if (window.visible)
            visible.push_back({window.id, window.title});
    return visible;
}

WindowId FakeWindows::FocusedWindow() {
    const std::lock_guard lock(mutex_);
    return focused_;
}

QString FakeWindows::Title(WindowId id) {
    const std::lock_guard lock(mutex_);
    const auto found = std::find_if(windows_.begin(), windows_.end(), [id](const Window& w) { return w.id == id; });
    return found == windows_.end() ? QString() : found->title;
}

bool FakeWindows::RequestActivation(WindowId id) {
    const std::lock_guard lock(mutex_);
    const auto found = std::find_if(windows_.begin(), windows_.end(), [id](const Window& w) { return w.id == id; });
    if (found == windows_.end())
        return false;
    requests_.push_back(id);
    if (!refuse_) {
        focused_ = id;
        // The window comes to the front.
        std::rotate(windows_.begin(), found, found + 1);
    }
    return true;
}

void FakeWindows::SetWindows(std::vector<Window> windows) {
    const std::lock_guard lock(mutex_);
    windows_ = std::move(windows);
}

void FakeWindows::Focus(WindowId window) {
    const std::lock_guard lock(mutex_);
    focused_ = window;
}

void FakeWindows::SetTitle(WindowId id, const QString& title) {
    const std::lock_guard lock(mutex_);
    for (Window& window : windows_)
        if (window.id == id)
            window.title = title;
}

void FakeWindows::RefuseActivation(bool refuse) {
    const std::lock_guard lock(mutex_);
    refuse_ = refuse;
}

std::vector<WindowId> FakeWindows::ActivationRequests() {
    const std::lock_guard lock(mutex_);
    return requests_;
}

}  // namespace orvexa::platform
