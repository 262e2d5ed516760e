#pragma once

#include <QString>

namespace orvexa {

// The program's start at login: an XDG autostart entry,
// $XDG_CONFIG_HOME/autostart/orvexa.desktop (~/.config/autostart), that the
// desktop runs when the user logs in. Removing the file undoes it.
QString AutostartFile();
bool AutostartEnabled();

// Writes the entry: the program starts hidden in the tray, in `folder`
// (the scripts it lists), and runs `script` (a file name of that folder)
// when one is given. False, with `error` set, when the file cannot be
// written.
bool EnableAutostart(const QString& program, const QString& folder, const QString& script, QString* error);
// Removes the entry. False, with `error` set, when it stays.
bool DisableAutostart(QString* error);

// One argument of an entry's Exec line, quoted as freedesktop.org's desktop
// entry format asks where needed (and escaped as its string values are).
QString ExecArgument(const QString& argument);

}  // namespace orvexa
