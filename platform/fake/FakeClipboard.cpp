#include "platform/fake/FakeClipboard.h"

#include "core/Exception.h"

namespace orvexa::platform {

QString FakeClipboard::Text() {
    const std::lock_guard lock(mutex_);
    if (!failure_.isEmpty())
        throw Exception(failure_);
    return text_;
}

void FakeClipboard::SetText(const QString& text) {
    const std::lock_guard lock(mutex_);
    if (!failure_.isEmpty())
        throw Exception(failure_);
    text_ = text;
}

void FakeClipboard::Fail(const QString& reason) {
    const std::lock_guard lock(mutex_);
    failure_ = reason;
}

}  // namespace orvexa::platform
