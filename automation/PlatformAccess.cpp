#include "automation/PlatformAccess.h"

#include "core/Exception.h"
#include "platform/Services.h"

namespace orvexa {

namespace {
const QString kNoDisplay =
    QStringLiteral("No X display is available for screen, mouse and keyboard automation");
}

platform::InputSynth& InputService() {
    platform::ConnectDisplayIfMissing();
    const auto& input = platform::Current().input;
    if (!input)
        throw Exception(kNoDisplay);
    return *input;
}

platform::Screen& ScreenService() {
    platform::ConnectDisplayIfMissing();
    const auto& screen = platform::Current().screen;
    if (!screen)
        throw Exception(kNoDisplay);
    return *screen;
}

}  // namespace orvexa
