#include "editor/ScriptEdit.h"

#include "core/Exception.h"
#include "core/ScriptText.h"
#include "core/Strings.h"
#include "editor/FindBar.h"
#include "editor/ScriptHost.h"
#include "editor/ScriptTextEdit.h"
#include "platform/Dialogs.h"
#include "ui/FormFont.h"
#include "ui/WindowFocus.h"

#include <QAction>
#include <QCloseEvent>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFrame>
#include <QKeyEvent>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

#include <algorithm>
#include <initializer_list>
#include <utility>

namespace orvexa {
namespace {

// A picked file's folder becomes the working directory; the bare name is
// what the editor keeps.
QString AdoptFolderOf(const QString& picked) {
    const QFileInfo info(picked);
    if (info.isAbsolute() || picked.contains(u'/'))
        QDir::setCurrent(info.absolutePath());
    return info.fileName();
}

}  // namespace

TFormScriptEditor::TFormScriptEditor(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("FormScriptEditor"));
    ui::ApplyFormFont(this);
    CreateMenus();
    CreateWidgets();
    resize(529, 473);
    FormCreate();
}

void TFormScriptEditor::CreateMenus() {
    MainMenu1 = new QMenuBar(this);
    QMenu* file = MainMenu1->addMenu(strings::MenuFile());
    MenuFileNew = file->addAction(strings::EditMenuFileNew());
    MenuFileOpen = file->addAction(strings::EditMenuFileOpen());
    MenuFileSave = file->addAction(strings::EditMenuFileSave());
    MenuFileSave->setShortcut(QKeySequence::Save);
    MenuFileSaveAs = file->addAction(strings::EditMenuFileSaveAs());
    MenuFileRun = file->addAction(strings::Run());
    QMenu* edit = MainMenu1->addMenu(strings::EditMenuEdit());
    MenuEditUndo = edit->addAction(strings::EditMenuUndo());
    MenuEditUndo->setShortcut(QKeySequence::Undo);
    MenuEditRedo = edit->addAction(strings::EditMenuRedo());
    MenuEditRedo->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)});
    edit->addSeparator();
    MenuEditFind = edit->addAction(strings::EditMenuFind());
    MenuEditFind->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F));
    MenuEditFindNext = edit->addAction(strings::EditMenuFindNext());
    MenuEditFindNext->setShortcut(QKeySequence(Qt::Key_F3));
    MenuEditFindPrevious = edit->addAction(strings::EditMenuFindPrevious());
    MenuEditFindPrevious->setShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F3));
    MenuEditReplace = edit->addAction(strings::EditMenuReplace());
    MenuEditReplace->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_H));
    edit->addSeparator();
    MenuEditGoToLine = edit->addAction(strings::EditMenuGoToLine());
    MenuEditGoToLine->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_G));
    QMenu* windows = MainMenu1->addMenu(strings::MenuWindows());
    MenuWindowsOutput = windows->addAction(strings::MenuWindowsOutput());

    connect(MenuFileNew, &QAction::triggered, this, &TFormScriptEditor::MenuFileNewClick);
    connect(MenuFileOpen, &QAction::triggered, this, &TFormScriptEditor::MenuFileOpenClick);
    connect(MenuFileSave, &QAction::triggered, this, &TFormScriptEditor::MenuFileSaveClick);
    connect(MenuFileSaveAs, &QAction::triggered, this, &TFormScriptEditor::MenuFileSaveAsClick);
    connect(MenuFileRun, &QAction::triggered, this, &TFormScriptEditor::MenuFileRunClick);
    connect(MenuWindowsOutput, &QAction::triggered, this, &TFormScriptEditor::MenuWindowsOutputClick);
}

void TFormScriptEditor::CreateWidgets() {
    Panel1 = new QFrame(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    Panel1->setFixedHeight(28);
    ButtonRun = new QPushButton(strings::Run(), Panel1);
    ButtonRun->setObjectName(QStringLiteral("ButtonRun"));
    ButtonOutput = new QPushButton(strings::MenuWindowsOutput(), Panel1);
    ButtonOutput->setObjectName(QStringLiteral("ButtonOutput"));
    // 33 and 75 wide, side by side, unless the desktop's font needs more for
    // the captions (Run's is "&Stop" during a test run).
    const QFontMetrics metrics(ButtonRun->font());
    const auto widthFor = [&metrics](int design, std::initializer_list<QString> captions) {
        int width = design;
        for (const QString& caption : captions)
            width = std::max(width, metrics.horizontalAdvance(QString(caption).remove(u'&')) + 10);
        return width;
    };
    ButtonRun->setGeometry(1, 1, widthFor(33, {strings::Run(), strings::Stop()}), 25);
    ButtonOutput->setGeometry(ButtonRun->geometry().right() + 1, 1, widthFor(75, {strings::MenuWindowsOutput()}), 25);
    // No default button: Return belongs to the text, and must never start a
    // script that moves the mouse or types. A click leaves the focus in the
    // text, as a toolbar's does; Tab still reaches the buttons.
    for (QPushButton* button : {ButtonRun, ButtonOutput}) {
        button->setAutoDefault(false);
        button->setDefault(false);
        button->setFocusPolicy(Qt::TabFocus);
    }

    RichEditScript = new ScriptTextEdit(this);
    RichEditScript->setObjectName(QStringLiteral("RichEditScript"));
    BarFind = new FindBar(RichEditScript, this);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->setMenuBar(MainMenu1);
    layout->addWidget(Panel1);
    layout->addWidget(RichEditScript, 1);
    layout->addWidget(BarFind);

    connect(ButtonRun, &QPushButton::clicked, this, &TFormScriptEditor::MenuFileRunClick);
    connect(ButtonOutput, &QPushButton::clicked, this, &TFormScriptEditor::MenuWindowsOutputClick);
    connect(RichEditScript, &ScriptTextEdit::textChanged, this, &TFormScriptEditor::RichEditScriptChange);
    connect(MenuEditUndo, &QAction::triggered, RichEditScript, &ScriptTextEdit::undo);
    connect(MenuEditRedo, &QAction::triggered, RichEditScript, &ScriptTextEdit::redo);
    connect(MenuEditFind, &QAction::triggered, BarFind, [this] { BarFind->Open(FindBar::Mode::Find); });
    connect(MenuEditFindNext, &QAction::triggered, BarFind, [this] { BarFind->FindAgain(true); });
    connect(MenuEditFindPrevious, &QAction::triggered, BarFind, [this] { BarFind->FindAgain(false); });
    connect(MenuEditReplace, &QAction::triggered, BarFind, [this] { BarFind->Open(FindBar::Mode::Replace); });
    connect(MenuEditGoToLine, &QAction::triggered, BarFind, [this] { BarFind->Open(FindBar::Mode::GoToLine); });
}

void TFormScriptEditor::SetModuleMethods(const QString& module, const MethodDocs& methods) {
    RichEditScript->SetModuleMethods(module, methods);
}

void TFormScriptEditor::FormCreate() {
    setWindowTitle(strings::EditCaption());
    Modified = false;
    TestRunning = false;
}

void TFormScriptEditor::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (const QScreen* s = screen())
        move(s->availableGeometry().center() - frameGeometry().center() + pos());
    FormShow();
    RichEditScript->setFocus(Qt::OtherFocusReason);
}

void TFormScriptEditor::keyPressEvent(QKeyEvent* event) {
    // Escape leaves a selection or a completion; it does not close the
    // window (the close box and the window manager's close do).
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void TFormScriptEditor::FormShow() {
    const int line = std::exchange(lineOnOpen_, 0);
    LoadScript(EditFileName);
    // Showing always ends editable, with the main window stopped.
    TestRunning = true;
    MenuFileRunClick();
    if (line > 0)
        GoToMarkedLine(line);
}

bool TFormScriptEditor::IsEditedFile(const QString& file) const {
    const QFileInfo edited(EditFileName);
    const QFileInfo other(file);
    return edited.exists() ? edited.canonicalFilePath() == other.canonicalFilePath()
                           : edited.absoluteFilePath() == other.absoluteFilePath();
}

void TFormScriptEditor::GoToMarkedLine(int line) {
    RichEditScript->GoToLine(line);
    RichEditScript->MarkErrorLine(line);
    RichEditScript->setFocus(Qt::OtherFocusReason);
}

void TFormScriptEditor::ShowScriptLine(const QString& file, int line) {
    if (!IsEditedFile(file)) {
        if (TestRunning)
            MenuFileRunClick();  // Stop: another file is edited
        if (!ConfirmDiscard())
            return;
        LoadScript(file);
    }
    GoToMarkedLine(line);
    raise();
    activateWindow();
}

void TFormScriptEditor::SyntaxErrorAt(const QString& file, int line) {
    if (TestRunning && IsEditedFile(file))
        RichEditScript->MarkErrorLine(line);
}

void TFormScriptEditor::RichEditScriptChange() {
    if (!Modified)
        SetModified(true);
}

void TFormScriptEditor::SetModified(bool modified) {
    Modified = modified;
    setWindowTitle(strings::EditCaptionFor(EditFileName, modified));
}

platform::Dialogs& TFormScriptEditor::Dialogs() const {
    if (!dialogs_)
        throw Exception(QStringLiteral("The editor has no dialogs to ask with"));
    return *dialogs_;
}

bool TFormScriptEditor::ConfirmDiscard() { return !Modified || Dialogs().Confirm(strings::NotSavedQuestion()); }

void TFormScriptEditor::MenuFileNewClick() {
    if (!ConfirmDiscard())
        return;
    LoadScript(QString());
}

void TFormScriptEditor::MenuFileOpenClick() {
    if (!ConfirmDiscard())
        return;
    const QString picked = Dialogs().OpenFileName(this, strings::ScriptFilter());
    if (picked.isEmpty())
        return;
    LoadScript(picked);
}

void TFormScriptEditor::MenuFileSaveClick() {
    if (EditFileName.isEmpty()) {
        MenuFileSaveAsClick();
        return;
    }
    SaveScript(EditFileName);
}

void TFormScriptEditor::MenuFileSaveAsClick() {
    const QString picked = Dialogs().SaveFileName(this, strings::ScriptFilter(), QStringLiteral("orx"), EditFileName);
    if (picked.isEmpty())
        return;
    SaveScript(picked);
}

void TFormScriptEditor::LoadScript(const QString& name) {
    RichEditScript->SetRawText(QString());
    if (!name.isEmpty() && FileExists(name)) {
        EditFileName = AdoptFolderOf(name);
        Modified = false;
        const DecodedScript script = ReadScriptText(EditFileName);
        form_ = script.form;
        RichEditScript->SetRawText(script.text);
    } else {
        for (int n = 0;; ++n) {
            const QString candidate = QStringLiteral("new%1.orx").arg(n);
            if (!QFileInfo::exists(candidate)) {
                EditFileName = candidate;
                break;
            }
        }
        form_ = ScriptForm();
    }
    // Every line keeps its own line end; a new line gets the file's most
    // used one.
    RichEditScript->SetLineEnd(form_.lineEnd);
    SetModified(false);
}

void TFormScriptEditor::SaveScript(const QString& name) {
    EditFileName = AdoptFolderOf(name);
    // Written in full or not at all: a failed save leaves the old file.
    form_ = WriteScriptText(EditFileName, RichEditScript->RawText(), form_);
    // Only a save that reached the disk clears the unsaved-work question.
    SetModified(false);
}

void TFormScriptEditor::SetFileCommandsEnabled(bool enabled) {
    for (QAction* action : {MenuFileNew, MenuFileOpen, MenuFileSave, MenuFileSaveAs})
        action->setEnabled(enabled);
}

void TFormScriptEditor::SetTextState(bool readOnly) {
    RichEditScript->SetGreyed(readOnly);
    BarFind->SetReadOnly(readOnly);
    for (QAction* action : {MenuEditUndo, MenuEditRedo, MenuEditReplace})
        action->setEnabled(!readOnly);
}

void TFormScriptEditor::MenuFileRunClick() {
    if (!TestRunning) {
        if (Modified && !Dialogs().Confirm(strings::SaveAndRunQuestion()))
            return;
        TestRunning = true;
        RichEditScript->MarkErrorLine(0);  // what an earlier run reported
        try {
            SaveScript(EditFileName);
        } catch (...) {
            TestRunning = false;  // nothing was started: stay in editing
            throw;
        }
        SetFileCommandsEnabled(false);
        SetTextState(true);
        MenuFileRun->setText(strings::Stop());
        ButtonRun->setText(strings::Stop());
        if (host_) {
            host_->ExitScriptEdit();
            host_->SetRunning(true);
        }
        return;
    }
    TestRunning = false;
    SetFileCommandsEnabled(true);
    SetTextState(false);
    MenuFileRun->setText(strings::Run());
    ButtonRun->setText(strings::Run());
    if (host_)
        host_->SetRunning(false);
}

void TFormScriptEditor::MenuWindowsOutputClick() {
    if (output_)
        ui::ShowInFrontKeepingFocus(output_, this);
}

bool TFormScriptEditor::FormCloseQuery() { return ConfirmDiscard(); }

void TFormScriptEditor::FormClose() {
    TestRunning = true;
    MenuFileRunClick();
    if (output_)
        output_->hide();
}

void TFormScriptEditor::reject() { close(); }

void TFormScriptEditor::closeEvent(QCloseEvent* event) {
    if (!FormCloseQuery()) {
        event->ignore();
        return;
    }
    FormClose();
    event->accept();
    QDialog::reject();  // ends the modal loop
}

}  // namespace orvexa
