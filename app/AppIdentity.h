#pragma once

class QGuiApplication;

namespace orvexa {

// What the desktop knows the program by: its name (the windows' WM_CLASS),
// its desktop entry ("orvexa.desktop") and the icon every window shows.
// The name is not a display name: window titles stay exactly as set.
void SetApplicationIdentity(QGuiApplication& app);

}  // namespace orvexa
