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

// The largest file read as a script. Anything bigger is no script a person
// wrote, and would fill the memory (a link to /dev/zero grows without end).
inline constexpr qint64 kScriptSizeLimit = 64 * 1024 * 1024;

// Reads a whole script file. Only a regular file (after following links) of
// at most kScriptSizeLimit bytes is read; it is opened without ever waiting
// (a FIFO put in its place is refused, not waited on). Throws
// orvexa::Exception with "Cannot open file %s" otherwise.
QByteArray ReadScriptBytes(const QString& fileName);

// ReadScriptBytes split into lines, up to the first NUL byte.
QStringList ReadScriptLines(const QString& fileName);

// Removes leading and trailing characters whose code is 32 or less.
QString TrimControl(QStringView text);

// True when a regular file of that name exists (after following links).
// Directories, FIFOs, devices and sockets are not files: they may be listed,
// but are never opened.
bool FileExists(const QString& fileName);

}  // namespace orvexa
