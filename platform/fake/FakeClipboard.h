#pragma once

#include "platform/Clipboard.h"

#include <mutex>

namespace orvexa::platform {

// A clipboard of the test's own: the text it holds, and whether it can be
// reached at all.
class FakeClipboard final : public Clipboard {
public:
    QString Text() override;
    void SetText(const QString& text) override;

    // Makes every call fail with this text (none when empty).
    void Fail(const QString& reason);

private:
    std::mutex mutex_;
    QString text_;
    QString failure_;
};

}  // namespace orvexa::platform
