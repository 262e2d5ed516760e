#pragma once

#include <QStringList>

namespace orvexa {

// What the program was asked to do on its command line.
struct CommandLine {
    // --scripts-folder: work in the user's scripts folder (the desktop entry
    // starts the program so) instead of the directory it was started in.
    bool scriptsFolder = false;
};

// Reads the arguments (the program's name first, Qt's own options already
// taken out by the application object). Arguments the program does not know
// are ignored, as they always were.
CommandLine ParseCommandLine(const QStringList& arguments);

}  // namespace orvexa
