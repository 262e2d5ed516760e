#pragma once

#include "platform/Shell.h"

#include <memory>

namespace orvexa::platform {

std::unique_ptr<Shell> CreateQtShell();

}  // namespace orvexa::platform
