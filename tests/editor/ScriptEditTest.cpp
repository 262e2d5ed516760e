// The script editor: loading, new names, saving, unsaved-work questions and
// the test run handed to its host.
#include "core/Exception.h"
#include "core/ScriptText.h"
#include "editor/FindBar.h"
#include "editor/ScriptEdit.h"
#include "editor/ScriptHost.h"
#include "editor/ScriptLexer.h"
#include "editor/ScriptTextEdit.h"
#include "platform/fake/ScriptedDialogs.h"
#include "tests/support/Bytes.h"
#include "tests/support/QtPrinters.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>

#include <memory>

#include <sys/fsuid.h>
#include <sys/stat.h>
#include <unistd.h>

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
        editor.SetDialogs(scripted);
        editor.SetHost(&host);
        editor.SetOutputWindow(&output);
    }
    void Open(const QString& name) {
        editor.EditFileName = name;
        editor.show();  // what the main window's modal showing does first
    }
    // Typed at the caret: each line break as the Return key.
    void Type(const QString& text) {
        const QStringList lines = text.split(u'\n');
        for (qsizetype i = 0; i < lines.size(); ++i) {
            if (i > 0)
                QTest::keyClick(editor.RichEditScript, Qt::Key_Return);
            editor.RichEditScript->replaceSelectedText(lines.at(i));
        }
    }
    QString Text() const { return editor.RichEditScript->RawText(); }
    // Puts the caret at a line's start (from 0) plus a number of bytes.
    void CaretAt(int line, int index = 0) { editor.RichEditScript->setCursorPosition(line, index); }
    QColor TextColour(int style) const {
        const long bgr = editor.RichEditScript->SendScintilla(QsciScintillaBase::SCI_STYLEGETFORE,
                                                              static_cast<unsigned long>(style));
        return QColor(static_cast<int>(bgr & 0xff), static_cast<int>((bgr >> 8) & 0xff),
                      static_cast<int>((bgr >> 16) & 0xff));
    }

    test::WorkingDir dir;
    std::shared_ptr<platform::ScriptedDialogs> scripted = std::make_shared<platform::ScriptedDialogs>();
    platform::ScriptedDialogs* dialogs = scripted.get();
    RecordingHost host;
    QWidget output;
    TFormScriptEditor editor;
};

}  // namespace

TEST_F(Editor, ShowingLoadsTheFileStopsTheHostAndIsEditable) {
    dir.Write(QStringLiteral("a.orx"), "//BIND MAIN\r\nprint(1)\r\n");
    Open(QStringLiteral("a.orx"));
    EXPECT_EQ(editor.windowTitle(), QStringLiteral("Edit - a.orx"));
    EXPECT_EQ(Text(), QStringLiteral("//BIND MAIN\r\nprint(1)\r\n"));
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
    EXPECT_EQ(dialogs->TextsOf(QStringLiteral("confirm")), QStringList{"You have not saved your work, are you sure?"});
    EXPECT_EQ(editor.EditFileName, QStringLiteral("a.orx"));
    EXPECT_TRUE(Text().startsWith(u'y'));

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

TEST_F(Editor, AFileThatIsNotUtf8ShowsItsLatin1CharactersAndEveryByteSurvivesASave) {
    QByteArray bytes = "s = '";
    for (int b = 0x80; b <= 0xff; ++b)
        bytes += static_cast<char>(b);
    bytes += "'\r\nprint(s)\r\n";
    dir.Write(QStringLiteral("high.orx"), bytes);
    Open(QStringLiteral("high.orx"));
    EXPECT_EQ(Text(), QString::fromLatin1(bytes));
    editor.MenuFileSaveClick();
    EXPECT_EQ(Read(QStringLiteral("high.orx")), bytes);

    // An edit elsewhere leaves the bytes it did not touch as they were.
    editor.RichEditScript->SendScintilla(QsciScintillaBase::SCI_DOCUMENTEND);
    Type(QStringLiteral("x = 1\n"));
    editor.MenuFileSaveClick();
    EXPECT_EQ(Read(QStringLiteral("high.orx")), bytes + "x = 1\r\n");
}

TEST_F(Editor, NoBreakSpacesAndLineSeparatorsSurviveASave) {
    const QByteArray bytes =
        "a\xc2\xa0"
        "b\xe2\x80\xa8"
        "c\n";
    dir.Write(QStringLiteral("u.orx"), bytes);
    Open(QStringLiteral("u.orx"));
    editor.MenuFileSaveClick();
    EXPECT_EQ(Read(QStringLiteral("u.orx")), bytes);
}

TEST_F(Editor, AByteOrderMarkAndCrLineEndsSurviveASave) {
    const QByteArray bytes = "\xef\xbb\xbfx = 'caf\xc3\xa9'\rprint(x)\r";
    dir.Write(QStringLiteral("mac.orx"), bytes);
    Open(QStringLiteral("mac.orx"));
    EXPECT_EQ(Text(), QStringLiteral("x = 'caf\u00e9'\rprint(x)\r"));
    editor.MenuFileSaveClick();
    EXPECT_EQ(Read(QStringLiteral("mac.orx")), bytes);
}

TEST_F(Editor, AUtf8SequenceCutShortAtTheEndIsShownAndKept) {
    const QByteArray bytes = "x = 1 # caf\xc3";
    dir.Write(QStringLiteral("cut.orx"), bytes);
    Open(QStringLiteral("cut.orx"));
    EXPECT_EQ(Text(), QStringLiteral("x = 1 # caf\u00c3"));
    editor.MenuFileSaveClick();
    EXPECT_EQ(Read(QStringLiteral("cut.orx")), bytes);
}

TEST_F(Editor, EveryLineKeepsItsOwnLineEndAndNewLinesTakeTheMostUsedOne) {
    const QByteArray bytes = "a\r\nbc\nd\re\r\n";
    dir.Write(QStringLiteral("mixed.orx"), bytes);
    Open(QStringLiteral("mixed.orx"));
    EXPECT_EQ(Text(), QString::fromLatin1(bytes));
    editor.MenuFileSaveClick();
    EXPECT_EQ(Read(QStringLiteral("mixed.orx")), bytes);

    // Lines joined and broken again as they were keep their ends.
    CaretAt(2);
    QTest::keyClick(editor.RichEditScript, Qt::Key_Backspace);
    editor.MenuEditUndo->trigger();
    editor.MenuFileSaveClick();
    EXPECT_EQ(Read(QStringLiteral("mixed.orx")), bytes);

    // A line broken in two: the new break is the file's CR LF, the old end
    // stays after the second half.
    CaretAt(1, 1);
    Type(QStringLiteral("\n"));
    editor.MenuFileSaveClick();
    EXPECT_EQ(Read(QStringLiteral("mixed.orx")), "a\r\nb\r\nc\nd\re\r\n");

    // Two lines joined: the end between them goes, the others stay.
    CaretAt(3);
    QTest::keyClick(editor.RichEditScript, Qt::Key_Backspace);
    editor.MenuFileSaveClick();
    EXPECT_EQ(Read(QStringLiteral("mixed.orx")), "a\r\nb\r\ncd\re\r\n");
}

TEST_F(Editor, ParagraphSeparatorsAndTheTextAfterANulSurviveASave) {
    const QByteArray bytes = test::Bytes("p\xe2\x80\xa9q\xef\xb7\x90r\xef\xb7\x91s\nx\0y\n");
    dir.Write(QStringLiteral("sep.orx"), bytes);
    Open(QStringLiteral("sep.orx"));
    editor.MenuFileSaveClick();
    EXPECT_EQ(Read(QStringLiteral("sep.orx")), bytes);
}

TEST_F(Editor, ACharacterLatin1LacksSavesTheFileAsUtf8InsteadOfLosingIt) {
    dir.Write(QStringLiteral("old.orx"), "# caf\xe9\n");
    Open(QStringLiteral("old.orx"));
    Type(QStringLiteral("\u20ac "));
    editor.MenuFileSaveClick();
    EXPECT_EQ(Read(QStringLiteral("old.orx")), "\xe2\x82\xac # caf\xc3\xa9\n");
    EXPECT_EQ(ReadScriptLines(QStringLiteral("old.orx")), QStringList{QStringLiteral("\u20ac # caf\u00e9")});
    // Saved again, it stays UTF-8.
    Type(QStringLiteral("x"));
    editor.MenuFileSaveClick();
    EXPECT_EQ(Read(QStringLiteral("old.orx")), "\xe2\x82\xac x# caf\xc3\xa9\n");
}

TEST_F(Editor, ALatin1FileThatWouldReadAsUtf8OnceEditedReadsBackAsShown) {
    // The last byte alone makes the file Latin-1: its first line shows "cafÃ©".
    dir.Write(QStringLiteral("l.orx"), "caf\xc3\xa9\n\xe9");
    Open(QStringLiteral("l.orx"));
    ASSERT_EQ(Text(), QStringLiteral("caf\u00c3\u00a9\n\u00e9"));
    editor.RichEditScript->SendScintilla(QsciScintillaBase::SCI_DOCUMENTEND);
    QTest::keyClick(editor.RichEditScript, Qt::Key_Backspace);
    editor.MenuFileSaveClick();
    EXPECT_EQ(ReadScriptLines(QStringLiteral("l.orx")), QStringList{QStringLiteral("caf\u00c3\u00a9")});
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

TEST_F(Editor, EntriesThatAreNoFilesOpenAsANewScriptAndHugeFilesFail) {
    dir.MakeFifo(QStringLiteral("pipe.orx"));
    Open(QStringLiteral("pipe.orx"));  // would wait for a writer for ever if opened
    EXPECT_EQ(editor.EditFileName, QStringLiteral("new0.orx"));
    EXPECT_TRUE(Text().isEmpty());

    dir.MakeUnreadable(QStringLiteral("huge.orx"));
    try {
        editor.LoadScript(QStringLiteral("huge.orx"));
        FAIL() << "no exception";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), QStringLiteral("Cannot open file huge.orx"));
    }
}

namespace {
// File access as an ordinary user for the time of a scope: root may write
// into any folder, whatever its permissions say. Only this thread's file
// system identity changes.
class AsOrdinaryUser {
public:
    AsOrdinaryUser() {
        if (geteuid() == 0) {
            setfsgid(kNobody);
            setfsuid(kNobody);
        }
    }
    ~AsOrdinaryUser() {
        if (geteuid() == 0) {
            setfsuid(0);
            setfsgid(0);
        }
    }
    AsOrdinaryUser(const AsOrdinaryUser&) = delete;
    AsOrdinaryUser& operator=(const AsOrdinaryUser&) = delete;
    static constexpr unsigned kNobody = 65534;
};

ino_t InodeOf(const QString& name) {
    struct stat status {};
    return ::stat(QFile::encodeName(name).constData(), &status) == 0 ? status.st_ino : 0;
}
}  // namespace

TEST_F(Editor, AWritableFileInAReadOnlyFolderIsSavedInPlace) {
    const auto readable = QFile::ReadOwner | QFile::ExeOwner | QFile::ReadOther | QFile::ExeOther;
    ASSERT_TRUE(QFile::setPermissions(dir.Path(), readable | QFile::WriteOwner));  // reachable for the user
    QDir().mkdir(QStringLiteral("locked"));
    dir.Write(QStringLiteral("locked/mine.orx"), "old text\n");
    if (geteuid() == 0) {
        ASSERT_EQ(::chown("locked/mine.orx", AsOrdinaryUser::kNobody, AsOrdinaryUser::kNobody), 0);
    }
    ASSERT_TRUE(QFile::setPermissions(QStringLiteral("locked"), readable));
    const QString path = dir.Path() + QStringLiteral("/locked/mine.orx");
    {
        const AsOrdinaryUser user;
        Open(path);
        editor.RichEditScript->selectAll();
        Type(QStringLiteral("new text\n"));
        EXPECT_NO_THROW(editor.MenuFileSaveClick());
    }
    EXPECT_EQ(Read(QStringLiteral("mine.orx")), "new text\n");
    EXPECT_FALSE(editor.Modified);
    EXPECT_EQ(QDir().entryList(QDir::Files), QStringList{"mine.orx"}) << "nothing left beside it";
    QFile::setPermissions(dir.Path() + QStringLiteral("/locked"),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

    // Where a temporary file can be made, the save replaces the file whole
    // (a new file takes the old one's place), so it is never half-written.
    const ino_t before = InodeOf(QStringLiteral("mine.orx"));
    Type(QStringLiteral("more\n"));
    editor.MenuFileSaveClick();
    EXPECT_NE(InodeOf(QStringLiteral("mine.orx")), before);
}

TEST_F(Editor, RunSavesGreysAndArmsStopRestores) {
    dir.Write(QStringLiteral("a.orx"), "x\n");
    Open(QStringLiteral("a.orx"));
    host.calls.clear();
    editor.MenuFileRunClick();
    EXPECT_TRUE(editor.TestRunning);
    EXPECT_TRUE(editor.RichEditScript->isReadOnly());
    for (int style : {ScriptLexer::Default, ScriptLexer::Keyword, ScriptLexer::BindHeader})
        EXPECT_EQ(TextColour(style), QColor(128, 128, 128)) << style;
    EXPECT_EQ(editor.ButtonRun->text(), QStringLiteral("&Stop"));
    EXPECT_EQ(editor.MenuFileRun->text(), QStringLiteral("&Stop"));
    EXPECT_FALSE(editor.MenuFileNew->isEnabled());
    EXPECT_FALSE(editor.MenuFileSaveAs->isEnabled());
    EXPECT_EQ(host.calls, (QStringList{"exit", "run"}));

    editor.MenuFileRunClick();
    EXPECT_FALSE(editor.TestRunning);
    EXPECT_FALSE(editor.RichEditScript->isReadOnly());
    EXPECT_EQ(TextColour(ScriptLexer::Default), editor.RichEditScript->palette().color(QPalette::Text));
    EXPECT_NE(TextColour(ScriptLexer::Keyword), QColor(128, 128, 128));
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
    EXPECT_EQ(dialogs->TextsOf(QStringLiteral("confirm")), QStringList{"You have not saved your work, save and run?"});
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

TEST_F(Editor, ShownItTypesIntoTheTextAndReturnStartsNothing) {
    dir.Write(QStringLiteral("a.orx"), "x = 1\n");
    Open(QStringLiteral("a.orx"));
    QApplication::setActiveWindow(&editor);
    EXPECT_EQ(QApplication::focusWidget(), editor.RichEditScript);
    EXPECT_FALSE(editor.ButtonRun->isDefault());
    EXPECT_FALSE(editor.ButtonRun->autoDefault());
    EXPECT_FALSE(editor.ButtonOutput->autoDefault());
    host.calls.clear();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    EXPECT_FALSE(editor.TestRunning);
    EXPECT_TRUE(host.calls.isEmpty()) << host.calls.join(u',').toStdString();
    EXPECT_EQ(Text(), QStringLiteral("\nx = 1\n"));
}

TEST_F(Editor, EscapeKeepsTheWindowOpen) {
    dir.Write(QStringLiteral("a.orx"), "x = 1\n");
    Open(QStringLiteral("a.orx"));
    QTest::keyClick(editor.RichEditScript, Qt::Key_Escape);
    EXPECT_TRUE(editor.isVisible()) << "unchanged text: Escape closed it";
    Type(QStringLiteral("y"));
    QTest::keyClick(editor.RichEditScript, Qt::Key_Escape);
    EXPECT_TRUE(editor.isVisible());
    EXPECT_TRUE(dialogs->shown.empty()) << "Escape asked about closing";
    // The close box still closes it, asking about the unsaved change.
    dialogs->confirmAnswers.push_back(true);
    editor.close();
    EXPECT_FALSE(editor.isVisible());
    EXPECT_EQ(dialogs->TextsOf(QStringLiteral("confirm")), QStringList{"You have not saved your work, are you sure?"});
}

TEST_F(Editor, TheOutputButtonGivesTheFocusBackToTheText) {
    Open(QString());
    QApplication::setActiveWindow(&editor);
    ASSERT_EQ(QApplication::focusWidget(), editor.RichEditScript);
    QTest::mouseClick(editor.ButtonOutput, Qt::LeftButton);
    EXPECT_TRUE(output.isVisible());
    EXPECT_EQ(QApplication::focusWidget(), editor.RichEditScript) << "typing must go on in the text";
    output.hide();
    editor.MenuWindowsOutput->trigger();
    EXPECT_TRUE(output.isVisible());
    EXPECT_EQ(QApplication::focusWidget(), editor.RichEditScript);
}

TEST_F(Editor, CtrlSSavesAndTheCaptionMarksUnsavedChanges) {
    dir.Write(QStringLiteral("a.orx"), "x\n");
    Open(QStringLiteral("a.orx"));
    QApplication::setActiveWindow(&editor);
    QTest::keyClicks(editor.RichEditScript, QStringLiteral("y"));
    EXPECT_EQ(editor.windowTitle(), QStringLiteral("Edit - *a.orx"));
    QTest::keyClick(editor.RichEditScript, Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(Read(QStringLiteral("a.orx")), "yx\n");
    EXPECT_FALSE(editor.Modified);
    EXPECT_EQ(editor.windowTitle(), QStringLiteral("Edit - a.orx"));

    // During a test run there is nothing to save.
    editor.MenuFileRunClick();
    dir.Write(QStringLiteral("a.orx"), "changed meanwhile\n");
    QTest::keyClick(editor.RichEditScript, Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(Read(QStringLiteral("a.orx")), "changed meanwhile\n");
}

TEST_F(Editor, FindReplaceAndGoToLineFromTheKeyboard) {
    dir.Write(QStringLiteral("a.orx"), "x = 1\ny = x\nprint(X)\n");
    Open(QStringLiteral("a.orx"));
    QApplication::setActiveWindow(&editor);
    ScriptTextEdit* text = editor.RichEditScript;
    FindBar* bar = editor.BarFind;
    const auto selected = [text] {
        int line = 0, from = 0, toLine = 0, to = 0;
        text->getSelection(&line, &from, &toLine, &to);
        return QStringLiteral("%1:%2-%3").arg(line).arg(from).arg(to);
    };

    QTest::keyClick(text, Qt::Key_F, Qt::ControlModifier);
    ASSERT_TRUE(bar->isVisible());
    EXPECT_EQ(QApplication::focusWidget(), bar->FindField);
    QTest::keyClicks(bar->FindField, QStringLiteral("x"));  // found as typed
    EXPECT_EQ(selected(), QStringLiteral("0:0-1"));
    QTest::keyClick(bar->FindField, Qt::Key_Return);
    EXPECT_EQ(selected(), QStringLiteral("1:4-5"));
    QTest::keyClick(text, Qt::Key_F3);
    EXPECT_EQ(selected(), QStringLiteral("2:6-7")) << "letter case aside by default";
    QTest::keyClick(text, Qt::Key_F3, Qt::ShiftModifier);
    EXPECT_EQ(selected(), QStringLiteral("1:4-5"));
    bar->MatchCase->setChecked(true);
    QTest::keyClick(text, Qt::Key_F3);
    EXPECT_EQ(selected(), QStringLiteral("0:0-1")) << "from the start again, X skipped";
    bar->FindField->setText(QStringLiteral("z"));
    QTest::keyClick(bar->FindField, Qt::Key_Return);
    EXPECT_EQ(bar->Status->text(), QStringLiteral("Not found"));

    // Replace: one, then all, and all of it undone in one step.
    QTest::keyClick(text, Qt::Key_H, Qt::ControlModifier);
    ASSERT_TRUE(bar->ReplaceField->isVisible());
    bar->FindField->setText(QStringLiteral("x"));
    bar->ReplaceField->setText(QStringLiteral("value"));
    text->setCursorPosition(0, 0);
    QTest::keyClick(bar->ReplaceField, Qt::Key_Return);  // finds the first
    QTest::keyClick(bar->ReplaceField, Qt::Key_Return);  // replaces it and finds the next
    EXPECT_EQ(text->RawText(), QStringLiteral("value = 1\ny = x\nprint(X)\n"));
    EXPECT_EQ(selected(), QStringLiteral("1:4-5"));
    bar->MatchCase->setChecked(false);
    QTest::mouseClick(bar->ButtonReplaceAll, Qt::LeftButton);
    EXPECT_EQ(text->RawText(), QStringLiteral("value = 1\ny = value\nprint(value)\n"));
    EXPECT_EQ(bar->Status->text(), QStringLiteral("2 replaced"));
    editor.MenuEditUndo->trigger();
    EXPECT_EQ(text->RawText(), QStringLiteral("value = 1\ny = x\nprint(X)\n"));
    editor.MenuEditRedo->trigger();
    EXPECT_EQ(text->RawText(), QStringLiteral("value = 1\ny = value\nprint(value)\n"));

    // Escape closes the bar and gives the text the keyboard.
    QTest::keyClick(bar->FindField, Qt::Key_Escape);
    EXPECT_FALSE(bar->isVisible());
    EXPECT_EQ(QApplication::focusWidget(), text);
    EXPECT_TRUE(editor.isVisible());

    // Go to line, kept within the text.
    QTest::keyClick(text, Qt::Key_G, Qt::ControlModifier);
    EXPECT_EQ(QApplication::focusWidget(), bar->LineField);
    QTest::keyClicks(bar->LineField, QStringLiteral("3"));
    QTest::keyClick(bar->LineField, Qt::Key_Return);
    int line = 0, index = 0;
    text->getCursorPosition(&line, &index);
    EXPECT_EQ(line, 2);
    EXPECT_FALSE(bar->isVisible());
    EXPECT_EQ(QApplication::focusWidget(), text);
    text->GoToLine(99);
    text->getCursorPosition(&line, &index);
    EXPECT_EQ(line, 3);

    // A test run replaces nothing.
    dialogs->confirmAnswers.push_back(true);  // save and run
    editor.MenuFileRunClick();
    EXPECT_FALSE(bar->ButtonReplaceAll->isEnabled());
    EXPECT_EQ(text->ReplaceAll(QStringLiteral("value"), QStringLiteral("v"), {}), 0);
}

TEST_F(Editor, ALineAskedForIsShownMarkedAndATestRunsSyntaxErrorIsMarked) {
    dir.Write(QStringLiteral("a.orx"), "//BIND MAIN\nx = 1\n\ny = (\n");
    dir.Write(QStringLiteral("b.orx"), "b\nb\nb\n");
    const QString a = dir.Path() + QStringLiteral("/a.orx");
    const QString b = dir.Path() + QStringLiteral("/b.orx");
    ScriptTextEdit* text = editor.RichEditScript;
    const auto caretLine = [text] {
        int line = 0, index = 0;
        text->getCursorPosition(&line, &index);
        return line + 1;
    };

    // Opened at a line, with the Output window's absolute names.
    editor.ShowLineOnOpen(3);
    Open(a);
    EXPECT_EQ(editor.EditFileName, QStringLiteral("a.orx"));
    EXPECT_EQ(caretLine(), 3);
    EXPECT_EQ(text->MarkedErrorLine(), 3);
    EXPECT_FALSE(editor.TestRunning);

    // While open: the same file, then another, whose opening stops a test
    // run and asks about unsaved work (No keeps the text as it is).
    editor.ShowScriptLine(a, 2);
    EXPECT_EQ(caretLine(), 2);
    EXPECT_EQ(text->MarkedErrorLine(), 2);
    editor.MenuFileRunClick();
    host.calls.clear();
    editor.ShowScriptLine(b, 3);
    EXPECT_EQ(host.calls, QStringList{"stop"});
    EXPECT_EQ(editor.EditFileName, QStringLiteral("b.orx"));
    EXPECT_EQ(Text(), QStringLiteral("b\nb\nb\n"));
    EXPECT_EQ(text->MarkedErrorLine(), 3);
    Type(QStringLiteral("z"));
    dialogs->confirmAnswers.push_back(false);
    editor.ShowScriptLine(a, 1);
    EXPECT_EQ(editor.EditFileName, QStringLiteral("b.orx"));
    EXPECT_TRUE(Text().contains(u'z'));

    // A syntax error marks its line when it is of this file's test run; the
    // run starts with no line marked.
    editor.SyntaxErrorAt(b, 1);
    EXPECT_EQ(text->MarkedErrorLine(), 3) << "no test run";
    dialogs->confirmAnswers.push_back(true);  // save and run
    editor.MenuFileRunClick();
    EXPECT_EQ(text->MarkedErrorLine(), 0);
    editor.SyntaxErrorAt(a, 1);
    EXPECT_EQ(text->MarkedErrorLine(), 0) << "another file";
    editor.SyntaxErrorAt(b, 2);
    EXPECT_EQ(text->MarkedErrorLine(), 2);
    EXPECT_EQ(text->markersAtLine(1), (1 << ScriptTextEdit::kErrorArrow) | (1 << ScriptTextEdit::kErrorLine));
}
