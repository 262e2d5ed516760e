#include "ui/FontsAhead.h"

#include <fontconfig/fontconfig.h>

namespace orvexa::ui {

FontsAhead::FontsAhead() : thread_([] { FcInit(); }) {}

FontsAhead::~FontsAhead() { thread_.join(); }

}  // namespace orvexa::ui
