#include "binds/keyhook.h"

#include "core/EventTypes.h"

#include <QCoreApplication>

namespace orvexa {

std::shared_ptr<platform::KeyCapture> HookHandle;
std::atomic<QObject*> TargetWindow{nullptr};

KeystrokeEvent::KeystrokeEvent(const KeystrokeMessage& message) : QEvent(EventType()), message_(message) {}

QEvent::Type KeystrokeEvent::EventType() { return EventTypeOf<KeystrokeEvent>(); }

void InstallHook(QObject* window, std::shared_ptr<platform::KeyCapture> capture) {
    if (HookHandle)
        return;
    // The target is in place before the first keystroke can arrive.
    TargetWindow.store(window);
    if (capture && capture->Start(&HookProc))
        HookHandle = std::move(capture);
}

void HookProc(const platform::KeyEvent& key) {
    QObject* target = TargetWindow.load();
    if (!target)
        return;
    KeystrokeMessage message;
    message.WParam = key.virtualKey;
    message.LParam = key.flags;
    message.Modifiers = key.modifiers;
    QCoreApplication::postEvent(target, new KeystrokeEvent(message));
}

void RemoveHook() {
    if (HookHandle) {
        HookHandle->Stop();  // when it returns, HookProc runs no more
        HookHandle.reset();
    }
    if (QObject* target = TargetWindow.exchange(nullptr))
        QCoreApplication::removePostedEvents(target, KeystrokeEvent::EventType());
}

}  // namespace orvexa
