#pragma once

#include <QString>

namespace orvexa {

// Opens the help page with the desktop's opener; without one, a notice
// tells the user where the file is.
void LaunchHelpFile(const QString& fileName);

}  // namespace orvexa
