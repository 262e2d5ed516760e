#pragma once

#include "platform/KeyCapture.h"

#include <QEvent>

#include <atomic>
#include <cstdint>
#include <memory>

class QObject;

namespace orvexa {

// The number of the keystroke message the hook posts to its target window.
constexpr int WM_USER = 1024;

// The keystroke message: the virtual-key code, the keystroke flags (bit 31
// set on release, bit 30 the previous state, repeat count 1) and the
// modifiers that were down at the moment of the keystroke.
struct KeystrokeMessage {
    int Msg = WM_USER;
    std::uint32_t WParam = 0;
    std::uint32_t LParam = 0;
    platform::KeyModifiers Modifiers;
};

// The keystroke message as it travels through the Qt event loop: a posted
// event of a type of its own.
class KeystrokeEvent final : public QEvent {
public:
    explicit KeystrokeEvent(const KeystrokeMessage& message);
    static QEvent::Type EventType();
    const KeystrokeMessage& Message() const { return message_; }

private:
    KeystrokeMessage message_;
};

// The installed capture; none before InstallHook and after RemoveHook.
// Touched on the GUI thread only.
extern std::shared_ptr<platform::KeyCapture> HookHandle;
// The window that receives the keystroke messages. Written by InstallHook
// before the capture starts and cleared by RemoveHook after it has stopped;
// HookProc reads it on the capture's thread.
extern std::atomic<QObject*> TargetWindow;

// Installs the hook once with window as the receiver of its messages: the
// key capture given, started with HookProc. A second call while installed
// changes nothing, not even the target. Without a capture, or when the
// capture cannot start (no display, no capture extension), HookHandle stays
// none, the window is still stored, and no keystroke ever arrives.
void InstallHook(QObject* window, std::shared_ptr<platform::KeyCapture> capture);

// The capture's callback. Its only work: post the keystroke to TargetWindow
// and return, so that typing anywhere on the desktop is never held up.
void HookProc(const platform::KeyEvent& key);

// Stops the capture if one is installed and forgets the target. Keystroke
// messages still waiting in the event queue are dropped with it, so nothing
// of what was typed is held afterwards.
void RemoveHook();

}  // namespace orvexa
