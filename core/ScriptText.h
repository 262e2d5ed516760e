#pragma once

#include <QString>
#include <QStringList>

namespace orvexa {

// Script files are 8-bit text. A line ends at CR LF, LF or CR, and a NUL
// byte ends the text. Lines are decoded as UTF-8 for display and for the
// interpreter.

// Splits text into lines at CR LF, LF or CR. A final line end adds no empty
// line; the empty text gives no line at all.
QStringList SplitLines(QStringView text);

// Reads a whole script file into lines. Throws orvexa::Exception with
// "Cannot open file %s" when the file exists but cannot be read.
QStringList ReadScriptLines(const QString& fileName);

// Removes leading and trailing characters whose code is 32 or less.
QString TrimControl(QStringView text);

// True when a file (not a directory) of that name exists.
bool FileExists(const QString& fileName);

}  // namespace orvexa
