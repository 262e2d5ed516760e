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

// The long description shown for a script: the lines after the first line
// holding "//LONGDESC:" up to the next line holding "//ENDLONGDESC" (or the
// file's end), joined by line feeds, cut after `capacity` characters; empty
// for a file without one and for an entry that is no file. Throws as
// ShortDescription does.
QString LongDescription(const QString& fileName, qsizetype capacity);

}  // namespace orvexa
