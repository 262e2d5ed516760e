#pragma once

#include "platform/Dialogs.h"

#include <memory>

namespace orvexa::platform {

std::unique_ptr<Dialogs> CreateQtDialogs();

}  // namespace orvexa::platform
