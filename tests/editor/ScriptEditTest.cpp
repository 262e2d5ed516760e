// The script editor: loading, new names, saving, unsaved-work questions and
// the test run handed to its host.
#include "core/Exception.h"
#include "editor/ScriptEdit.h"
#include "editor/ScriptHost.h"
#include "platform/Services.h"
#include "platform/fake/ScriptedDialogs.h"
#include "tests/support/QtPrinters.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QFile>
#include <QPlainTextEdit>
#include <QPushButton>

#include <memory>

using namespace orvexa;

namespace {

struct RecordingHost final : ScriptHost {
    QStringList calls;
    void ExitScriptEdit() override { calls.append(QStringLiteral("exit")); }
    void SetRunning(bool value) override { calls.append(value ? QStringLiteral("run") : QStringLiteral("stop")); }
};

QByteArray Read(const QString& name) {
    QFile f(name);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

class Editor : public ::testing::Test {
protected:
    void SetUp() override {
        dialogs = platform::ScriptedDialogs::InstallAlone();
        editor.SetHost(&host);
        editor.SetOutputWindow(&output);
    }
    void TearDown() override { platform::Install(platform::Services()); }
    void Open(const QString& name) {
        editor.EditFileName = name;
        editor.show();  // what the main window's modal showing does first
    }
    void Type(const QString& text) { editor.RichEditScript->insertPlainText(text); }

    test::WorkingDir dir;
    platform::ScriptedDialogs* dialogs = nullptr;
    RecordingHost host;
    QWidget output;
    TFormScriptEditor editor;
};

}  // namespace

TEST_F(Editor, ShowingLoadsTheFileStopsTheHostAndIsEditable) {
    dir.Write(QStringLiteral("a.orx"), "//BIND MAIN\r\nprint(1)\r\n");
    Open(QStringLiteral("a.orx"));
    EXPECT_EQ(editor.windowTitle(), QStringLiteral("Edit - a.orx"));
    EXPECT_EQ(editor.RichEditScript->toPlainText(), QStringLiteral("//BIND MAIN\nprint(1)\n"));
    EXPECT_FALSE(editor.Modified);
    EXPECT_FALSE(editor.TestRunning);
    EXPECT_FALSE(editor.RichEditScript->isReadOnly());
    EXPECT_EQ(host.calls, QStringList{"stop"});
}

TEST_F(Editor, NoFileStartsTheFirstFreeNewName) {
    Open(QString());
    EXPECT_EQ(editor.EditFileName, QStringLiteral("new0.orx"));
    dir.Write(QStringLiteral("new0.orx"), "");
    dir.Write(QStringLiteral("new1.orx"), "");
    editor.MenuFileNewClick();
    EXPECT_EQ(editor.EditFileName, QStringLiteral("new2.orx"));
    EXPECT_FALSE(QFile::exists(QStringLiteral("new2.orx"))) << "nothing is written until Save";
    EXPECT_EQ(editor.windowTitle(), QStringLiteral("Edit - new2.orx"));
}

TEST_F(Editor, UnsavedWorkIsAskedAboutAndNoKeepsIt) {
    dir.Write(QStringLiteral("a.orx"), "x\n");
    Open(QStringLiteral("a.orx"));
    Type(QStringLiteral("y"));
    ASSERT_TRUE(editor.Modified);
    dialogs->confirmAnswers.push_back(false);
    editor.MenuFileNewClick();
    EXPECT_EQ(dialogs->TextsOf(QStringLiteral("confirm")),
              QStringList{"You have not saved your work, are you sure?"});
    EXPECT_EQ(editor.EditFileName, QStringLiteral("a.orx"));
    EXPECT_TRUE(editor.RichEditScript->toPlainText().startsWith(u'y'));

    dialogs->confirmAnswers.push_back(false);
    editor.close();
    EXPECT_TRUE(editor.isVisible()) << "No keeps the editor open";
    dialogs->confirmAnswers.push_back(true);
    editor.close();
    EXPECT_FALSE(editor.isVisible());
}

TEST_F(Editor, SaveWritesTheTextBackInTheFilesOwnForm) {
    QByteArray latin1 = "# caf\xe9\r\nx = 1\r\n";
    dir.Write(QStringLiteral("old.orx"), latin1);
    Open(QStringLiteral("old.orx"));
    editor.MenuFileSaveClick();
    EXPECT_EQ(Read(QStringLiteral("old.orx")), latin1) << "bytes that are not UTF-8 survive a save";

    Type(QStringLiteral("z"));
    editor.MenuFileSaveClick();
    EXPECT_EQ(Read(QStringLiteral("old.orx")), "z" + latin1);
    EXPECT_FALSE(editor.Modified);
}

TEST_F(Editor, SaveAsNamesTheFileAndAFailedSaveKeepsTheQuestion) {
    Open(QString());
    Type(QStringLiteral("print('hi')\n"));
    dialogs->fileAnswers.push_back(dir.Path() + QStringLiteral("/named.orx"));
    editor.MenuFileSaveAsClick();
    EXPECT_EQ(editor.EditFileName, QStringLiteral("named.orx"));
    EXPECT_EQ(Read(QStringLiteral("named.orx")), "print('hi')\n");

    QDir().mkdir(QStringLiteral("blocked.orx"));  // a directory cannot be written as a file
    Type(QStringLiteral("more"));
    dialogs->fileAnswers.push_back(QStringLiteral("blocked.orx"));
    EXPECT_THROW(editor.MenuFileSaveAsClick(), Exception);
    EXPECT_TRUE(editor.Modified) << "unsaved work must still be asked about";

    dialogs->fileAnswers.push_back(QString());  // cancelled: nothing happens
    editor.MenuFileSaveAsClick();
    EXPECT_EQ(editor.EditFileName, QStringLiteral("blocked.orx"));
}

TEST_F(Editor, RunSavesGreysAndArmsStopRestores) {
    dir.Write(QStringLiteral("a.orx"), "x\n");
    Open(QStringLiteral("a.orx"));
    host.calls.clear();
    editor.MenuFileRunClick();
    EXPECT_TRUE(editor.TestRunning);
    EXPECT_TRUE(editor.RichEditScript->isReadOnly());
    EXPECT_EQ(editor.RichEditScript->palette().color(QPalette::Text), QColor(128, 128, 128));
    EXPECT_EQ(editor.ButtonRun->text(), QStringLiteral("&Stop"));
    EXPECT_EQ(editor.MenuFileRun->text(), QStringLiteral("&Stop"));
    EXPECT_FALSE(editor.MenuFileNew->isEnabled());
    EXPECT_FALSE(editor.MenuFileSaveAs->isEnabled());
    EXPECT_EQ(host.calls, (QStringList{"exit", "run"}));

    editor.MenuFileRunClick();
    EXPECT_FALSE(editor.TestRunning);
    EXPECT_FALSE(editor.RichEditScript->isReadOnly());
    EXPECT_EQ(editor.RichEditScript->palette().color(QPalette::Text), QColor(0, 0, 0));
    EXPECT_EQ(editor.ButtonRun->text(), QStringLiteral("&Run"));
    EXPECT_TRUE(editor.MenuFileOpen->isEnabled());
    EXPECT_EQ(host.calls.last(), QStringLiteral("stop"));
}

TEST_F(Editor, RunWithUnsavedWorkAsksAndNoStartsNothing) {
    dir.Write(QStringLiteral("a.orx"), "x\n");
    Open(QStringLiteral("a.orx"));
    Type(QStringLiteral("y"));
    host.calls.clear();
    dialogs->confirmAnswers.push_back(false);
    editor.MenuFileRunClick();
    EXPECT_EQ(dialogs->TextsOf(QStringLiteral("confirm")),
              QStringList{"You have not saved your work, save and run?"});
    EXPECT_FALSE(editor.TestRunning);
    EXPECT_TRUE(host.calls.isEmpty());
    EXPECT_EQ(Read(QStringLiteral("a.orx")), "x\n");
}

TEST_F(Editor, ClosingDuringATestRunStopsAndHidesOutput) {
    dir.Write(QStringLiteral("a.orx"), "x\n");
    Open(QStringLiteral("a.orx"));
    editor.MenuFileRunClick();
    editor.MenuWindowsOutputClick();
    ASSERT_TRUE(output.isVisible());
    host.calls.clear();
    editor.close();
    EXPECT_EQ(host.calls, QStringList{"stop"});
    EXPECT_FALSE(output.isVisible());
    EXPECT_FALSE(editor.TestRunning);
}

TEST_F(Editor, OpeningFromAnotherFolderMakesItTheWorkingDirectory) {
    test::WorkingDir other;
    other.Write(QStringLiteral("far.orx"), "far\n");
    const QString farPath = other.Path() + QStringLiteral("/far.orx");
    QDir::setCurrent(dir.Path());
    Open(QString());
    dialogs->fileAnswers.push_back(farPath);
    editor.MenuFileOpenClick();
    EXPECT_EQ(editor.EditFileName, QStringLiteral("far.orx"));
    EXPECT_EQ(QDir::current().canonicalPath(), QDir(other.Path()).canonicalPath());
    Type(QStringLiteral("x"));
    editor.MenuFileSaveClick();
    EXPECT_EQ(Read(farPath), "xfar\n");
    QDir::setCurrent(dir.Path());
}
