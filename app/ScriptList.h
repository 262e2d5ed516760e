#pragma once

#include <QByteArray>
#include <QString>

namespace orvexa {

// --list: the scripts of the working directory, one a line: the file name,
// a tab and the short description, sorted by file name. A control
// character (a tab, a line end) in either is shown as "?", so that every
// script stays one line of two fields. A file that cannot be read is listed
// under its name, and why is added to `problems`, a line each.
QByteArray ScriptListText(QString* problems = nullptr);

// Prints the list on standard output and its problems on standard error;
// returns the exit code, 0.
int ListScripts();

}  // namespace orvexa
