// The real program started as the desktop entry starts it (--scripts-folder)
// works in ~/Orvexa, made on first start with copies of the installed
// examples; started without it, it works in the directory it was started in
// and makes nothing.
#include "tests/e2e/OrvexaProcess.h"
#include "tests/support/QtPrinters.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <signal.h>

using namespace orvexa;

namespace {

QStringList Entries(const QString& folder) { return QDir(folder).entryList(QDir::Files, QDir::Name); }

// The working directory of a running process.
QString WorkingDirectoryOf(test::OrvexaProcess& orvexa) {
    return QFileInfo(QStringLiteral("/proc/%1/cwd").arg(orvexa.process().processId())).symLinkTarget();
}

// A home folder and a data directory holding "orvexa/examples", a copy of
// the repository's examples, as an installed tree has it.
class ScriptsFolder : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(root.isValid());
        home = root.filePath(QStringLiteral("home"));
        share = root.filePath(QStringLiteral("share"));
        examples = share + QStringLiteral("/orvexa/examples");
        ASSERT_TRUE(QDir().mkpath(home));
        ASSERT_TRUE(QDir().mkpath(examples));
        for (const QString& name : Entries(QStringLiteral(ORVEXA_EXAMPLES_DIR)))
            ASSERT_TRUE(QFile::copy(QStringLiteral(ORVEXA_EXAMPLES_DIR "/") + name, examples + u'/' + name));
        variables.insert(QStringLiteral("HOME"), home);
        variables.insert(QStringLiteral("XDG_DATA_HOME"), root.filePath(QStringLiteral("datahome")));
        variables.insert(QStringLiteral("XDG_DATA_DIRS"), share);
    }

    QTemporaryDir root;
    QString home, share, examples;
    QProcessEnvironment variables;
};

}  // namespace

TEST_F(ScriptsFolder, TheDesktopEntrysStartMakesAndEntersTheFolderThenLeavesItAlone) {
    const QString folder = home + QStringLiteral("/Orvexa");
    {
        test::OrvexaProcess orvexa(root.path(), {QStringLiteral("--scripts-folder")}, variables);
        ASSERT_FALSE(orvexa.WaitForMainWindow().isEmpty()) << orvexa.StandardError().toStdString();
        EXPECT_EQ(WorkingDirectoryOf(orvexa), QFileInfo(folder).canonicalFilePath());
        orvexa.Signal(SIGTERM);
        EXPECT_EQ(orvexa.WaitForExit(), 0) << orvexa.StandardError().toStdString();
    }
    const QStringList shipped = Entries(examples);
    ASSERT_TRUE(shipped.contains(QStringLiteral("orvexa_help.htm")));
    ASSERT_TRUE(shipped.contains(QStringLiteral("hello.orx")));
    EXPECT_EQ(Entries(folder), shipped);

    // The user's changes survive the next start.
    {
        QFile hello(folder + QStringLiteral("/hello.orx"));
        ASSERT_TRUE(hello.open(QIODevice::WriteOnly | QIODevice::Truncate));
        hello.write("//SHORTDESC: Mine now\n");
    }
    ASSERT_TRUE(QFile::remove(folder + QStringLiteral("/typer.orx")));
    test::OrvexaProcess again(root.path(), {QStringLiteral("--scripts-folder")}, variables);
    ASSERT_FALSE(again.WaitForMainWindow().isEmpty()) << again.StandardError().toStdString();
    EXPECT_EQ(WorkingDirectoryOf(again), QFileInfo(folder).canonicalFilePath());
    again.Signal(SIGTERM);
    EXPECT_EQ(again.WaitForExit(), 0) << again.StandardError().toStdString();
    EXPECT_FALSE(QFileInfo::exists(folder + QStringLiteral("/typer.orx")));
    QFile hello(folder + QStringLiteral("/hello.orx"));
    ASSERT_TRUE(hello.open(QIODevice::ReadOnly));
    EXPECT_EQ(hello.readAll(), QByteArray("//SHORTDESC: Mine now\n"));
}

TEST_F(ScriptsFolder, StartedWithoutTheOptionItWorksWhereItWasStarted) {
    test::WorkingDir dir;
    dir.Write(QStringLiteral("first.orx"), "//SHORTDESC: First script\n");
    test::OrvexaProcess orvexa(dir.Path(), {}, variables);
    ASSERT_FALSE(orvexa.WaitForMainWindow().isEmpty()) << orvexa.StandardError().toStdString();
    EXPECT_EQ(WorkingDirectoryOf(orvexa), QFileInfo(dir.Path()).canonicalFilePath());
    orvexa.Signal(SIGTERM);
    EXPECT_EQ(orvexa.WaitForExit(), 0) << orvexa.StandardError().toStdString();
    EXPECT_FALSE(QFileInfo::exists(home + QStringLiteral("/Orvexa")));
}
