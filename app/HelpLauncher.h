#pragma once

#include <QString>

namespace orvexa::platform {
struct Services;
}

namespace orvexa {

// Opens the help page with the desktop's opener; without one, a notice
// tells the user where the file is.
void LaunchHelpFile(const platform::Services& services, const QString& fileName);

}  // namespace orvexa
