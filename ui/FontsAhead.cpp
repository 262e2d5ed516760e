#include "ui/FontsAhead.h"

#include "ui/FormFont.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QStringList>

#include <fontconfig/fontconfig.h>

namespace orvexa::ui {

FontConfigurationAhead::FontConfigurationAhead() : thread_([] { FcInit(); }) {}

FontConfigurationAhead::~FontConfigurationAhead() { thread_.join(); }

// The font database may be used from any thread.
FontDatabaseAhead::FontDatabaseAhead()
    : thread_([] {
          QFontDatabase::families();
          QFontInfo(FormFont()).family();
      }) {}

FontDatabaseAhead::~FontDatabaseAhead() { thread_.join(); }

}  // namespace orvexa::ui
