// The user's scripts folder (--scripts-folder): made on first use with
// copies of the installed examples, left alone once it exists, never
// overwritten.
#include "app/ScriptsFolder.h"
#include "tests/support/QtPrinters.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

using namespace orvexa;

namespace {

QByteArray Read(const QString& name) {
    QFile file(name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

void Write(const QString& name, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(name).path());
    QFile file(name);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate)) << name.toStdString();
    file.write(bytes);
}

QStringList Entries(const QString& folder) {
    return QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden, QDir::Name);
}

// A temporary tree with an "examples" folder of installed examples (read-only,
// as a package installs them for the user) and a home folder.
class ScriptsFolder : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(root.isValid());
        examples = root.filePath(QStringLiteral("examples"));
        home = root.filePath(QStringLiteral("home"));
        folder = QDir(home).filePath(QStringLiteral("Orvexa"));
        Write(examples + QStringLiteral("/hello.orx"), "//SHORTDESC: Hello\n");
        Write(examples + QStringLiteral("/typer.orx"), "//SHORTDESC: Typer\n");
        Write(examples + QStringLiteral("/orvexa_help.htm"), "<html>help</html>");
        Write(examples + QStringLiteral("/nested/inner.orx"), "inner");
        for (const QString& name :
             {QStringLiteral("hello.orx"), QStringLiteral("typer.orx"), QStringLiteral("orvexa_help.htm")})
            QFile::setPermissions(QDir(examples).filePath(name),
                                  QFileDevice::ReadOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther);
        ASSERT_TRUE(QDir().mkpath(home));
        started = QDir::currentPath();
    }
    void TearDown() override { QDir::setCurrent(started); }

    QTemporaryDir root;
    QString examples, home, folder, started;
};

}  // namespace

TEST_F(ScriptsFolder, FirstUseMakesTheFolderWithCopiesOfTheExamplesAndTheHelpPage) {
    const ScriptsFolderSetUp setUp = PrepareScriptsFolder(folder, examples);
    EXPECT_EQ(setUp.outcome, ScriptsFolderSetUp::Outcome::Made);
    EXPECT_EQ(setUp.copied, (QStringList{"hello.orx", "orvexa_help.htm", "typer.orx"}));
    EXPECT_TRUE(setUp.problems.isEmpty()) << setUp.problems.join(u'\n').toStdString();
    // Files only: folders among the examples are not copied.
    EXPECT_EQ(Entries(folder), (QStringList{"hello.orx", "orvexa_help.htm", "typer.orx"}));
    EXPECT_EQ(Read(folder + QStringLiteral("/hello.orx")), QByteArray("//SHORTDESC: Hello\n"));
    EXPECT_EQ(Read(folder + QStringLiteral("/orvexa_help.htm")), QByteArray("<html>help</html>"));
    // The copies are the user's to edit.
    for (const QString& name : Entries(folder))
        EXPECT_TRUE(QFile::permissions(QDir(folder).filePath(name)) & QFileDevice::WriteOwner) << name.toStdString();
}

TEST_F(ScriptsFolder, AnExistingFolderIsLeftAsItIs) {
    Write(folder + QStringLiteral("/hello.orx"), "mine");
    Write(folder + QStringLiteral("/notes.txt"), "notes");
    const ScriptsFolderSetUp setUp = PrepareScriptsFolder(folder, examples);
    EXPECT_EQ(setUp.outcome, ScriptsFolderSetUp::Outcome::Existing);
    EXPECT_TRUE(setUp.copied.isEmpty());
    EXPECT_TRUE(setUp.problems.isEmpty());
    EXPECT_EQ(Entries(folder), (QStringList{"hello.orx", "notes.txt"}));
    EXPECT_EQ(Read(folder + QStringLiteral("/hello.orx")), QByteArray("mine"));
}

TEST_F(ScriptsFolder, AnExistingEmptyFolderGetsNoExamples) {
    ASSERT_TRUE(QDir().mkpath(folder));
    EXPECT_EQ(PrepareScriptsFolder(folder, examples).outcome, ScriptsFolderSetUp::Outcome::Existing);
    EXPECT_TRUE(Entries(folder).isEmpty());
}

TEST_F(ScriptsFolder, TheSecondUseChangesNothing) {
    ASSERT_EQ(PrepareScriptsFolder(folder, examples).outcome, ScriptsFolderSetUp::Outcome::Made);
    Write(folder + QStringLiteral("/hello.orx"), "edited");
    ASSERT_TRUE(QFile::remove(folder + QStringLiteral("/typer.orx")));
    Write(examples + QStringLiteral("/new.orx"), "a newer example");

    EXPECT_EQ(PrepareScriptsFolder(folder, examples).outcome, ScriptsFolderSetUp::Outcome::Existing);
    EXPECT_EQ(Entries(folder), (QStringList{"hello.orx", "orvexa_help.htm"}));
    EXPECT_EQ(Read(folder + QStringLiteral("/hello.orx")), QByteArray("edited"));
}

TEST_F(ScriptsFolder, AFileOrALinkAtThePathIsLeftAlone) {
    Write(folder, "a file");
    EXPECT_EQ(PrepareScriptsFolder(folder, examples).outcome, ScriptsFolderSetUp::Outcome::Existing);
    EXPECT_EQ(Read(folder), QByteArray("a file"));

    ASSERT_TRUE(QFile::remove(folder));
    ASSERT_TRUE(QFile::link(root.filePath(QStringLiteral("nowhere")), folder));
    EXPECT_EQ(PrepareScriptsFolder(folder, examples).outcome, ScriptsFolderSetUp::Outcome::Existing);
    EXPECT_FALSE(QFileInfo::exists(root.filePath(QStringLiteral("nowhere"))));
}

TEST_F(ScriptsFolder, WithoutExamplesTheFolderIsMadeEmptyAndThatIsTold) {
    for (const QString& none : {QString(), root.filePath(QStringLiteral("missing"))}) {
        QDir(folder).removeRecursively();
        const ScriptsFolderSetUp setUp = PrepareScriptsFolder(folder, none);
        EXPECT_EQ(setUp.outcome, ScriptsFolderSetUp::Outcome::Made);
        EXPECT_TRUE(QFileInfo(folder).isDir());
        EXPECT_TRUE(Entries(folder).isEmpty());
        EXPECT_EQ(setUp.problems.size(), 1);
    }
}

TEST_F(ScriptsFolder, AFolderThatCannotBeMadeFails) {
    Write(home + QStringLiteral("/file"), "x");
    const QString impossible = home + QStringLiteral("/file/Orvexa");
    const ScriptsFolderSetUp setUp = PrepareScriptsFolder(impossible, examples);
    EXPECT_EQ(setUp.outcome, ScriptsFolderSetUp::Outcome::Failed);
    EXPECT_EQ(setUp.problems.size(), 1);
}

TEST_F(ScriptsFolder, EnteringMakesItTheWorkingDirectory) {
    EXPECT_TRUE(EnterScriptsFolder(folder, examples));
    EXPECT_EQ(QDir::currentPath(), QFileInfo(folder).canonicalFilePath());
    EXPECT_TRUE(QFileInfo::exists(QStringLiteral("hello.orx")));
}

TEST_F(ScriptsFolder, AFolderThatCannotBeUsedLeavesTheWorkingDirectory) {
    Write(folder, "a file, not a folder");
    EXPECT_FALSE(EnterScriptsFolder(folder, examples));
    EXPECT_EQ(QDir::currentPath(), started);

    Write(home + QStringLiteral("/file"), "x");
    EXPECT_FALSE(EnterScriptsFolder(home + QStringLiteral("/file/Orvexa"), examples));
    EXPECT_EQ(QDir::currentPath(), started);
}

TEST_F(ScriptsFolder, TheDefaultIsOrvexaInTheHomeFolder) {
    const QByteArray previous = qgetenv("HOME");
    qputenv("HOME", home.toUtf8());
    EXPECT_EQ(DefaultScriptsFolder(), folder);
    qputenv("HOME", previous);
}

TEST_F(ScriptsFolder, TheInstalledExamplesAreFoundBesideTheProgramThenInTheDataDirectories) {
    const QByteArray dataHome = qgetenv("XDG_DATA_HOME"), dataDirs = qgetenv("XDG_DATA_DIRS");
    const QString share = root.filePath(QStringLiteral("share"));
    qputenv("XDG_DATA_HOME", root.filePath(QStringLiteral("datahome")).toUtf8());
    qputenv("XDG_DATA_DIRS", share.toUtf8());

    // An installed tree: <prefix>/bin and the examples where the build puts them.
    const QString bin = root.filePath(QStringLiteral("prefix/bin"));
    ASSERT_TRUE(QDir().mkpath(bin));
    EXPECT_EQ(FindInstalledExamples(bin), QString());
    const QString installed = QDir::cleanPath(QDir(bin).filePath(InstalledExamplesFromProgramDir()));
    EXPECT_TRUE(installed.endsWith(QStringLiteral("/orvexa/examples"))) << installed.toStdString();

    ASSERT_TRUE(QDir().mkpath(share + QStringLiteral("/orvexa/examples")));
    EXPECT_EQ(FindInstalledExamples(bin), share + QStringLiteral("/orvexa/examples"));

    ASSERT_TRUE(QDir().mkpath(installed));
    EXPECT_EQ(FindInstalledExamples(bin), installed);

    qputenv("XDG_DATA_HOME", dataHome);
    qputenv("XDG_DATA_DIRS", dataDirs);
}
