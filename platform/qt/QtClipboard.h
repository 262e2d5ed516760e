#pragma once

#include "platform/Clipboard.h"

#include <chrono>
#include <memory>

namespace orvexa::platform {

// Qt's clipboard (QClipboard::Clipboard). Qt's clipboard belongs to the
// application's thread: a call from another thread is queued to it and
// waited for, and fails (orvexa::Exception) when that thread does not take it
// within `queueTimeout` (it is busy running script code that does not wait)
// or the program is closing meanwhile. Reading another program's clipboard
// waits for that program's answer, as Qt does.
//
// Text set here stays on the clipboard while the program runs: the program
// answers every other program that asks for it.
std::unique_ptr<Clipboard> CreateQtClipboard(std::chrono::milliseconds queueTimeout = std::chrono::seconds(5));

}  // namespace orvexa::platform
