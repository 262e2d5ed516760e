#pragma once

#include <QString>
#include <QStringList>

namespace orvexa {

// The user's scripts folder, where the program works when the desktop
// starts it (--scripts-folder): ~/Orvexa, made on first use with copies of
// the installed example scripts and help page in it.

// ~/Orvexa.
QString DefaultScriptsFolder();

// Where the installed examples are, relative to the program's directory
// (from the install directories the build was configured with, normally
// "../share/orvexa/examples").
QString InstalledExamplesFromProgramDir();

// The installed examples' folder: the one relative to programDir when it
// exists, else "orvexa/examples" in the XDG data directories; empty when
// there is none.
QString FindInstalledExamples(const QString& programDir);

struct ScriptsFolderSetUp {
    enum class Outcome {
        Made,      // the folder did not exist and was made
        Existing,  // the folder existed and was left as it was
        Failed     // the folder did not exist and could not be made
    };
    Outcome outcome = Outcome::Failed;
    // The file names copied into a folder that was made.
    QStringList copied;
    // What went wrong, one line each (files not copied, no examples).
    QStringList problems;
};

// Makes `folder` when nothing exists at that path, and copies the regular
// files of `examples` into it (none when `examples` is empty). A folder that
// exists is left exactly as it is; no file is ever overwritten. Copies are
// writable by their owner.
ScriptsFolderSetUp PrepareScriptsFolder(const QString& folder, const QString& examples);

// Prepares the folder as above and makes it the working directory. What went
// wrong is written to standard error; when the folder cannot be used, the
// working directory stays as it was. Returns whether the folder was entered.
bool EnterScriptsFolder(const QString& folder, const QString& examples);

}  // namespace orvexa
