#pragma once

#include <QString>
#include <QStringList>

namespace orvexa {

// The scripts of the working directory as the main window's list and the
// command line's --list see them.

// The working directory's entries whose names end in ".orx" (any case), in
// the order the file system returns them: hidden entries and directories
// included, nothing sorted.
QStringList ScriptEntries();

// The short description listed for a script: the text after the last
// "//SHORTDESC:" of the file, trimmed; the file name itself (trimmed) for a
// file without one and for an entry that is no file. Throws
// orvexa::Exception "Cannot open file %s" for a file that cannot be read.
QString ShortDescription(const QString& fileName);

}  // namespace orvexa
