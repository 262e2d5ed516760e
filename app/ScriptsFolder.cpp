#include "app/ScriptsFolder.h"

#include "core/Exception.h"
#include "core/Strings.h"
#include "engine/FatalReport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#ifndef ORVEXA_EXAMPLES_FROM_BINDIR
#define ORVEXA_EXAMPLES_FROM_BINDIR "../share/orvexa/examples"
#endif

namespace orvexa {

QString DefaultScriptsFolder() { return QDir::home().filePath(strings::ScriptsFolderName()); }

QString InstalledExamplesFromProgramDir() { return QStringLiteral(ORVEXA_EXAMPLES_FROM_BINDIR); }

QString FindInstalledExamples(const QString& programDir) {
    const QFileInfo beside(QDir(programDir).filePath(InstalledExamplesFromProgramDir()));
    if (!programDir.isEmpty() && beside.isDir())
        return QDir::cleanPath(beside.absoluteFilePath());
    return QStandardPaths::locate(QStandardPaths::GenericDataLocation, QStringLiteral("orvexa/examples"),
                                  QStandardPaths::LocateDirectory);
}

ScriptsFolderSetUp PrepareScriptsFolder(const QString& folder, const QString& examples) {
    ScriptsFolderSetUp setUp;
    // A link counts as existing, even when it leads nowhere: it is the
    // user's, not something to make a folder over.
    const QFileInfo info(folder);
    if (info.exists() || info.isSymLink()) {
        setUp.outcome = ScriptsFolderSetUp::Outcome::Existing;
        return setUp;
    }
    if (!QDir().mkpath(folder)) {
        setUp.outcome = ScriptsFolderSetUp::Outcome::Failed;
        setUp.problems.append(strings::ScriptsFolderNotMade(folder));
        return setUp;
    }
    setUp.outcome = ScriptsFolderSetUp::Outcome::Made;

    const QDir target(folder);
    const QFileInfoList files =
        examples.isEmpty() ? QFileInfoList() : QDir(examples).entryInfoList(QDir::Files, QDir::Name);
    if (files.isEmpty())
        setUp.problems.append(strings::NoExamplesFound(folder));
    for (const QFileInfo& file : files) {
        const QString copy = target.filePath(file.fileName());
        // QFile::copy never replaces a file that exists.
        if (!QFile::copy(file.absoluteFilePath(), copy)) {
            setUp.problems.append(strings::ExampleNotCopied(file.fileName(), folder));
            continue;
        }
        // Installed files may be read-only; the user's copies are to edit.
        QFile::setPermissions(copy, QFile::permissions(copy) | QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        setUp.copied.append(file.fileName());
    }
    return setUp;
}

bool EnterScriptsFolder(const QString& folder, const QString& examples) {
    const ScriptsFolderSetUp setUp = PrepareScriptsFolder(folder, examples);
    for (const QString& problem : setUp.problems)
        WriteToStandardError(WithFullStop(problem));
    if (setUp.outcome != ScriptsFolderSetUp::Outcome::Failed && QDir::setCurrent(folder))
        return true;
    WriteToStandardError(WithFullStop(strings::ScriptsFolderNotEntered(folder, QDir::currentPath())));
    return false;
}

}  // namespace orvexa
