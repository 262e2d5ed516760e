#include "platform/x11/WindowDestroyWatch.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QPointer>
#include <QWidget>

#include <xcb/xcb.h>

namespace orvexa::platform::x11 {
namespace {

class DestroyFilter final : public QAbstractNativeEventFilter {
public:
    DestroyFilter(QWidget* window, std::function<void()> destroyed)
        : window_(window), destroyed_(std::move(destroyed)) {
        QCoreApplication::instance()->installNativeEventFilter(this);
    }
    ~DestroyFilter() override {
        if (QCoreApplication* app = QCoreApplication::instance())
            app->removeNativeEventFilter(this);
    }
    DestroyFilter(const DestroyFilter&) = delete;
    DestroyFilter& operator=(const DestroyFilter&) = delete;

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) override {
        if (!destroyed_ || !window_ || eventType != "xcb_generic_event_t")
            return false;
        const auto* event = static_cast<const xcb_generic_event_t*>(message);
        if ((event->response_type & 0x7f) != XCB_DESTROY_NOTIFY)
            return false;
        const auto* destroy = static_cast<const xcb_destroy_notify_event_t*>(message);
        // Only a window that Qt still holds was destroyed from outside.
        if (!window_->testAttribute(Qt::WA_WState_Created) || destroy->window != window_->winId())
            return false;
        auto destroyed = std::move(destroyed_);
        destroyed_ = nullptr;
        destroyed();
        return false;
    }

private:
    QPointer<QWidget> window_;
    std::function<void()> destroyed_;
};

}  // namespace

std::unique_ptr<QAbstractNativeEventFilter> WatchWindowDestroy(QWidget* window, std::function<void()> destroyed) {
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        return nullptr;
    return std::make_unique<DestroyFilter>(window, std::move(destroyed));
}

}  // namespace orvexa::platform::x11
