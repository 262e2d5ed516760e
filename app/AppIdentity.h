#pragma once

#include <QString>

class QGuiApplication;

namespace orvexa {

// What the desktop knows the program by: its name (the windows' WM_CLASS),
// its desktop entry ("orvexa.desktop") and the icon every window shows.
// The name is not a display name: window titles stay exactly as set.
void SetApplicationIdentity(QGuiApplication& app);

// The program's version, as the build was configured ("1.2").
QString ApplicationVersion();

}  // namespace orvexa
