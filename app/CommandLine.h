#pragma once

#include <QString>
#include <QStringList>

namespace orvexa {

// What the program was asked to do on its command line.
struct CommandLine {
    enum class Mode {
        Window,   // no command: the main window, as always
        Run,      // --run FILE: run one script without any window
        List,     // --list: print the scripts of the working directory
        Help,     // --help
        Version,  // --version
    };
    Mode mode = Mode::Window;
    // --scripts-folder: work in the user's scripts folder (the desktop entry
    // starts the program so) instead of the directory it was started in.
    bool scriptsFolder = false;
    // The script of --run, as given.
    QString script;
    // --run with --tray: the run shows a tray icon and tells the script's
    // errors as desktop notifications.
    bool tray = false;
    // The main window starts in the tray, not shown (--hidden; a start at
    // login), and runs the script of --start NAME (its file name) at once.
    bool hidden = false;
    QString start;
    // What is wrong with the command line, one sentence; empty when nothing
    // is. A bad command line ends the program with kBadCommandLine.
    QString error;
};

// The exit code of a bad command line: an unknown option, a missing or
// unreadable script, arguments too many.
inline constexpr int kBadCommandLine = 2;

// Reads the arguments (the program's name first). The application object
// takes Qt's own options (-platform, -style...) out of the arguments it is
// given: the main window's command line is read from what it leaves.
CommandLine ParseCommandLine(const QStringList& arguments);

// The arguments as main() received them, the program's name first.
QStringList ArgumentsOf(int argc, char** argv);

// What --help prints: the usage line and the options.
QString CommandLineHelp();
// What --version prints: the program's name and version.
QString VersionText();

// Writes the error of a bad command line to standard error, with the hint
// that --help tells more.
void ReportBadCommandLine(const QString& error);

}  // namespace orvexa
