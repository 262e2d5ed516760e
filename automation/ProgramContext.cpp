#include "automation/ProgramContext.h"

#include "core/Exception.h"

namespace orvexa {

namespace {
const QString kNoDisplay = QStringLiteral("No X display is available for screen, mouse and keyboard automation");
const QString kNoWindows = QStringLiteral("No X display is available for window titles and activation");
const QString kNoClipboard = QStringLiteral("No clipboard is available");
}  // namespace

ProgramContext::ProgramContext(platform::Services services, QCoreApplication* application)
    : services_(std::move(services)), wavePlayer_(services_.wave), application_(application) {}

ProgramContext::~ProgramContext() = default;

void ProgramContext::ConnectDisplayIfMissing() {
    using Clock = std::chrono::steady_clock;
    if (services_.input && services_.screen && services_.windows)
        return;
    if (!services_.connectDisplay || Clock::now() < nextConnect_)
        return;
    nextConnect_ = Clock::now() + std::chrono::seconds(1);
    platform::DisplayServices display = services_.connectDisplay();
    if (!services_.screen)
        services_.screen = std::move(display.screen);
    if (!services_.input)
        services_.input = std::move(display.input);
    if (!services_.windows)
        services_.windows = std::move(display.windows);
}

platform::InputSynth& ProgramContext::Input() {
    const std::lock_guard lock(displayMutex_);
    ConnectDisplayIfMissing();
    if (!services_.input)
        throw Exception(kNoDisplay);
    return *services_.input;
}

platform::Screen& ProgramContext::Screen() {
    const std::lock_guard lock(displayMutex_);
    ConnectDisplayIfMissing();
    if (!services_.screen)
        throw Exception(kNoDisplay);
    return *services_.screen;
}

platform::Windows& ProgramContext::Windows() {
    const std::lock_guard lock(displayMutex_);
    ConnectDisplayIfMissing();
    if (!services_.windows)
        throw Exception(kNoWindows);
    return *services_.windows;
}

platform::Clipboard& ProgramContext::Clipboard() {
    if (!services_.clipboard)
        throw Exception(kNoClipboard);
    return *services_.clipboard;
}

}  // namespace orvexa
