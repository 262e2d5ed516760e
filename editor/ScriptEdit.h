#pragma once

#include "core/MethodDoc.h"
#include "core/ScriptText.h"

#include <QDialog>
#include <QPointer>
#include <QString>

#include <memory>

class QAction;
class QFrame;
class QMenu;
class QMenuBar;
class QPushButton;

namespace orvexa::platform {
class Dialogs;
}

namespace orvexa {

class FindBar;
class ScriptHost;
class ScriptTextEdit;

// The built-in editor for script files. The main window writes EditFileName
// before it shows the editor modally and reads it back when it closes. A
// test run saves the file and arms it in the main window.
//
// Besides its File and Windows menus, an Edit menu between them: undo and
// redo, find (Ctrl+F, F3, Shift+F3), replace (Ctrl+H) and go to a line
// (Ctrl+G), in a bar below the text. Ctrl+S saves as File, Save does; the
// caption's file name has an asterisk before it while there are unsaved
// changes.
class TFormScriptEditor : public QDialog {
    Q_OBJECT
public:
    explicit TFormScriptEditor(QWidget* parent = nullptr);

    void SetHost(ScriptHost* host) { host_ = host; }
    // The Output window that the editor shows and hides.
    void SetOutputWindow(QWidget* output) { output_ = output; }
    // The questions and file choices go through these.
    void SetDialogs(std::shared_ptr<platform::Dialogs> dialogs) { dialogs_ = std::move(dialogs); }
    // The module scripts import and its methods, which the text completes.
    void SetModuleMethods(const QString& module, const MethodDocs& methods);

    void FormCreate();
    void FormShow();
    void RichEditScriptChange();
    void MenuFileNewClick();
    void MenuFileOpenClick();
    void MenuFileSaveClick();
    void MenuFileSaveAsClick();
    void MenuFileRunClick();
    void MenuWindowsOutputClick();
    bool FormCloseQuery();
    void FormClose();
    void LoadScript(const QString& name);
    void SaveScript(const QString& name);

    // The line (from 1) the next showing puts the caret on and marks, after
    // loading EditFileName; 0: none.
    void ShowLineOnOpen(int line) { lineOnOpen_ = line; }
    // While shown: a line of a file, marked, with the caret on it. Another
    // file than the one edited is opened as Open opens it (stopping a test
    // run, asking about unsaved work; No keeps the text as it is).
    void ShowScriptLine(const QString& file, int line);
    // A syntax error reported at a line of a file: marked in the margin
    // when it is the file of this editor's test run.
    void SyntaxErrorAt(const QString& file, int line);

    QString EditFileName;
    bool Modified = false;
    bool TestRunning = false;

    QFrame* Panel1 = nullptr;
    QPushButton* ButtonRun = nullptr;
    QPushButton* ButtonOutput = nullptr;
    ScriptTextEdit* RichEditScript = nullptr;
    FindBar* BarFind = nullptr;
    QMenuBar* MainMenu1 = nullptr;
    QAction* MenuFileNew = nullptr;
    QAction* MenuFileOpen = nullptr;
    QAction* MenuFileSave = nullptr;
    QAction* MenuFileSaveAs = nullptr;
    QAction* MenuFileRun = nullptr;
    QAction* MenuEditUndo = nullptr;
    QAction* MenuEditRedo = nullptr;
    QAction* MenuEditFind = nullptr;
    QAction* MenuEditFindNext = nullptr;
    QAction* MenuEditFindPrevious = nullptr;
    QAction* MenuEditReplace = nullptr;
    QAction* MenuEditGoToLine = nullptr;
    QAction* MenuWindowsOutput = nullptr;

public slots:
    // A close asked for by the program goes through the close question.
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void CreateMenus();
    void CreateWidgets();
    void SetTextState(bool readOnly);
    void SetFileCommandsEnabled(bool enabled);
    bool ConfirmDiscard();
    // Modified, and the caption that shows it.
    void SetModified(bool modified);
    // The dialogs given; orvexa::Exception without them.
    platform::Dialogs& Dialogs() const;

    ScriptHost* host_ = nullptr;
    std::shared_ptr<platform::Dialogs> dialogs_;
    QPointer<QWidget> output_;
    // Whether a file name (absolute, or relative to the working directory)
    // names the file being edited.
    bool IsEditedFile(const QString& file) const;
    void GoToMarkedLine(int line);

    // How the loaded file was written, so that saving writes it back alike.
    ScriptForm form_;
    int lineOnOpen_ = 0;
};

}  // namespace orvexa
