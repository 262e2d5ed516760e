#pragma once

#include "core/ScriptText.h"
#include "editor/LineBreaks.h"

#include <QDialog>
#include <QPointer>
#include <QString>

#include <memory>

class QAction;
class QFrame;
class QMenu;
class QMenuBar;
class QPlainTextEdit;
class QPushButton;

namespace orvexa::platform {
class Dialogs;
}

namespace orvexa {

class ScriptHost;

// The built-in editor for script files. The main window writes EditFileName
// before it shows the editor modally and reads it back when it closes. A
// test run saves the file and arms it in the main window.
class TFormScriptEditor : public QDialog {
    Q_OBJECT
public:
    explicit TFormScriptEditor(QWidget* parent = nullptr);

    void SetHost(ScriptHost* host) { host_ = host; }
    // The Output window that the editor shows and hides.
    void SetOutputWindow(QWidget* output) { output_ = output; }
    // The questions and file choices go through these.
    void SetDialogs(std::shared_ptr<platform::Dialogs> dialogs) { dialogs_ = std::move(dialogs); }

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

    QString EditFileName;
    bool Modified = false;
    bool TestRunning = false;

    QFrame* Panel1 = nullptr;
    QPushButton* ButtonRun = nullptr;
    QPushButton* ButtonOutput = nullptr;
    QPlainTextEdit* RichEditScript = nullptr;
    QMenuBar* MainMenu1 = nullptr;
    QAction* MenuFileNew = nullptr;
    QAction* MenuFileOpen = nullptr;
    QAction* MenuFileSave = nullptr;
    QAction* MenuFileSaveAs = nullptr;
    QAction* MenuFileRun = nullptr;
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
    // The dialogs given; orvexa::Exception without them.
    platform::Dialogs& Dialogs() const;

    // Shows a file's whole text, a line for each break; EditedText gives it
    // back, every break that was kept written as it was.
    void ShowText(QStringView text);
    QString EditedText() const;

    ScriptHost* host_ = nullptr;
    std::shared_ptr<platform::Dialogs> dialogs_;
    QPointer<QWidget> output_;
    // How the loaded file was written, so that saving writes it back alike.
    ScriptForm form_;
    // The lines as last loaded or saved, and the breaks between them.
    BrokenText shown_;
};

}  // namespace orvexa
