#include "app/ErrorNotices.h"

#include "core/Strings.h"
#include "platform/Notifier.h"

namespace orvexa {

ErrorNotices::ErrorNotices(std::shared_ptr<platform::Notifier> notifier, QString script, QObject* parent)
    : QObject(parent), notifier_(std::move(notifier)), script_(std::move(script)) {
    quiet_.setSingleShot(true);
    quiet_.setInterval(kQuietMs);
    connect(&quiet_, &QTimer::timeout, this, &ErrorNotices::QuietEnded);
}

void ErrorNotices::Report(const QString& error) {
    if (!notifier_)
        return;
    if (quiet_.isActive()) {
        ++held_;
        lastHeld_ = error;
        return;
    }
    notifier_->Notify(strings::ScriptErrorNotice(script_), error);
    quiet_.start();
}

void ErrorNotices::QuietEnded() {
    if (held_ == 0)
        return;
    notifier_->Notify(strings::ScriptErrorsHeldNotice(script_, held_), lastHeld_);
    held_ = 0;
    lastHeld_.clear();
    quiet_.start();
}

}  // namespace orvexa
