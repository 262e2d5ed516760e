#include "app/FormMain.h"

#include "app/ArmedNames.h"
#include "app/AutostartEntry.h"
#include "app/BindArming.h"
#include "app/HelpLauncher.h"
#include "app/KeyNameWindow.h"
#include "app/KeystrokeQueue.h"
#include "app/OrvexaApplication.h"
#include "app/ProgramSettings.h"
#include "app/ScriptInterpreter.h"
#include "app/SessionNotice.h"
#include "app/StopKey.h"
#include "app/TextBinds.h"
#include "app/TrayIcon.h"
#include "app/about.h"
#include "app/hllabel.h"
#include "automation/ProgramContext.h"
#include "automation/py.h"
#include "binds/Bindary.h"
#include "binds/KeyNames.h"
#include "binds/keyhook.h"
#include "core/Quit.h"
#include "core/ScriptText.h"
#include "core/Strings.h"
#include "editor/ScriptEdit.h"
#include "engine/PythonEngine.h"
#include "extension/Pyio.h"
#include "extension/PythonGUIInputOutput.h"
#include "extension/PythonModule.h"
#include "extension/output.h"
#include "platform/Dialogs.h"
#include "platform/Services.h"
#include "ui/FormFont.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>

#include <exception>
#include <utility>

namespace orvexa {
namespace {
// The layout's client width; ButtonRun keeps its distance to the right edge.
constexpr int kDesignClientWidth = 347;
constexpr int kRunLeft = 271;
constexpr int kRunRightGap = kDesignClientWidth - kRunLeft - 75;
// The smallest window that still shows a usable list beside the Run button
// and a few lines of the description.
constexpr int kMinimumWidth = 240;
constexpr int kMinimumHeight = 160;
}  // namespace

TFormMain::TFormMain(ProgramContext& context, QWidget* parent) : QMainWindow(parent), context_(context) {
    setObjectName(QStringLiteral("FormMain"));
    setWindowTitle(strings::AppTitle());
    ui::ApplyFormFont(this);

    stopKey_ = StopKeyName(context_.Services().keyStore.get());
    keystrokes_ = new KeystrokeQueue(
        [this](const KeystrokeMessage& message) {
            if (Running && Binds && !quit::Requested())
                DispatchKeystroke(*Binds, message);
        },
        [this] { return !executor_ || executor_->MayStart(); }, this);
    textBinds_ = new TextBinds(
        context_, [this] { return !executor_ || executor_->MayStart(); }, this);

    CreateMenus();
    CreateWidgets();
    ConnectHandlers();
    CreateComponents();
    armedNames_ = new ArmedNames(
        [this](const QString& text) {
            if (PythonGUIInputOutput1)
                PythonGUIInputOutput1->Write(text);
        },
        this);
    resize(kDesignClientWidth, 294);
    setMinimumSize(kMinimumWidth, kMinimumHeight);
    LoadComponents();
    FormCreate();
}

TFormMain::~TFormMain() {
    // The editor goes first, as a window of its own would.
    delete editor_.data();
    FormDestroy();
    DestroyComponents();
}

void TFormMain::CreateComponents() {
    PythonModule1 = new TPythonModule(this);
    PythonModule1->OnInitialization = [this](QObject* sender) { PythonModule1Initialization(sender); };

    PythonEngine1 = new TPythonEngine(this);
    SetUpEngine(*PythonEngine1, context_.Services());
    // The library is loaded and bound with the layout, so that a missing or
    // unusable one ends the program before the window shows; the interpreter
    // starts once the window is on its way to the screen (StartInterpreter).
    PythonEngine1->InitializeOnLoad = false;

    PythonGUIInputOutput1 = new TPythonGUIInputOutput(this);
    PythonGUIInputOutput1->setObjectName(QStringLiteral("PythonGUIInputOutput1"));
    PythonGUIInputOutput1->SetDialogs(context_.Services().dialogs);

    PythonEngine1->SetIO(PythonGUIInputOutput1);
    PythonEngine1->OnErrorReported = [this] { ErrorReported(); };
    PythonEngine1->OnRedirectOutput = [this](TPythonEngine& engine) { pyio_ = InstallPyio(engine); };
    SetUpAutomationModule(*PythonModule1, *PythonEngine1);
    executor_ = PythonEngine1;
}

void TFormMain::LoadComponents() {
    // The layout has been loaded: the module's creation event, then the
    // engine loads and binds the interpreter library. A library that cannot
    // be loaded or bound ends the program there.
    PythonModule1->Loaded();
    PythonEngine1->LayoutLoaded();
}

void TFormMain::StartInterpreter() {
    if (interpreterStarted_ || destroyed_ || quit::Requested())
        return;
    interpreterStarted_ = true;
    if (PythonEngine1->Runtime().IsBound()) {
        try {
            PythonEngine1->Initialize();
        } catch (...) {
            // The interpreter is up, but a step of its start failed (the
            // error has been printed where it could be): say so and go on.
            OrvexaApplication::ShowCurrentException(context_.Services().dialogs.get());
        }
    }
    InstallHook(this, context_.Services().keyCapture);
}

void TFormMain::FinishStartup() {
    StartInterpreter();
    CreateTray();
}

void TFormMain::DestroyComponents() {
    // Last created first: "pyio" detaches and so stops the interpreter, then
    // the IO component, the engine (which forgets the IO), the module.
    pyio_.reset();
    delete std::exchange(PythonGUIInputOutput1, nullptr);
    delete std::exchange(PythonEngine1, nullptr);
    delete std::exchange(PythonModule1, nullptr);
}

void TFormMain::PythonModule1Initialization(QObject* sender) {
    if (auto* module = qobject_cast<TPythonModule*>(sender))
        AddAutomationMethods(*module, context_);
}

void TFormMain::CreateMenus() {
    MenuFile = menuBar()->addMenu(strings::MenuFile());
    MenuFileRun = MenuFile->addAction(strings::Run());
    MenuFileEdit = MenuFile->addAction(strings::MenuFileEdit());
    MenuFileDelete = MenuFile->addAction(strings::MenuFileDelete());
    MenuFileExit = MenuFile->addAction(strings::MenuFileExit());
    MenuWindows = menuBar()->addMenu(strings::MenuWindows());
    MenuWindowsOutput = MenuWindows->addAction(strings::MenuWindowsOutput());
    MenuOptions = menuBar()->addMenu(strings::MenuOptions());
    MenuOptionsKeepInTray = MenuOptions->addAction(strings::MenuOptionsKeepInTray());
    MenuOptionsKeepInTray->setCheckable(true);
    MenuOptionsKeepInTray->setChecked(ReadSetting(context_.Services().keyStore.get(), kKeepInTrayKey, false));
    MenuOptionsStartAtLogin = MenuOptions->addAction(strings::MenuOptionsStartAtLogin());
    MenuOptionsStartAtLogin->setCheckable(true);
    MenuOptionsStartAtLogin->setChecked(AutostartEnabled());
    MenuHelp = menuBar()->addMenu(strings::MenuHelp());
    MenuHelpViewHelp = MenuHelp->addAction(strings::MenuHelpViewHelp());
    MenuHelpKeyNames = MenuHelp->addAction(strings::MenuHelpKeyNames());
    MenuHelpAbout = MenuHelp->addAction(strings::MenuHelpAbout());
}

void TFormMain::CreateWidgets() {
    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    PanelTop = new QWidget(central);
    PanelTop->setObjectName(QStringLiteral("PanelTop"));
    PanelTop->setFixedHeight(41);
    PanelTop->installEventFilter(this);

    LabelScript = new QLabel(strings::ScriptLabel(), PanelTop);
    LabelScript->setObjectName(QStringLiteral("LabelScript"));
    LabelScript->move(7, 14);

    ComboBoxScript = new QComboBox(PanelTop);
    ComboBoxScript->setObjectName(QStringLiteral("ComboBoxScript"));
    ComboBoxScript->setEditable(false);
    ComboBoxScript->setGeometry(41, 10, 206, 21);

    ButtonRun = new QPushButton(strings::Run(), PanelTop);
    ButtonRun->setObjectName(QStringLiteral("ButtonRun"));
    ButtonRun->setGeometry(kRunLeft, 9, 75, 25);
    setTabOrder(ComboBoxScript, ButtonRun);

    RichEditDesc = new QPlainTextEdit(central);
    RichEditDesc->setObjectName(QStringLiteral("RichEditDesc"));
    RichEditDesc->setReadOnly(true);
    RichEditDesc->setFocusPolicy(Qt::ClickFocus);
    RichEditDesc->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    RichEditDesc->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    RichEditDesc->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    QPalette palette = RichEditDesc->palette();
    palette.setColor(QPalette::Base, palette.color(QPalette::Button));
    RichEditDesc->setPalette(palette);

    layout->addWidget(PanelTop);
    layout->addWidget(RichEditDesc, 1);
    setCentralWidget(central);
}

void TFormMain::ConnectHandlers() {
    connect(ComboBoxScript, &QComboBox::activated, this, [this] { ComboBoxScriptChange(); });
    connect(ButtonRun, &QPushButton::clicked, this, &TFormMain::MenuFileRunClick);
    connect(MenuFileRun, &QAction::triggered, this, &TFormMain::MenuFileRunClick);
    connect(MenuFileEdit, &QAction::triggered, this, &TFormMain::MenuFileEditClick);
    connect(MenuFileDelete, &QAction::triggered, this, &TFormMain::MenuFileDeleteClick);
    connect(MenuFileExit, &QAction::triggered, this, &TFormMain::MenuFileExitClick);
    connect(MenuWindowsOutput, &QAction::triggered, this, &TFormMain::MenuWindowsOutputClick);
    connect(MenuOptionsKeepInTray, &QAction::triggered, this, &TFormMain::MenuOptionsKeepInTrayClick);
    connect(MenuOptionsStartAtLogin, &QAction::triggered, this, &TFormMain::MenuOptionsStartAtLoginClick);
    connect(MenuHelpViewHelp, &QAction::triggered, this, &TFormMain::MenuHelpViewHelpClick);
    connect(MenuHelpAbout, &QAction::triggered, this, &TFormMain::MenuHelpAboutClick);
    connect(MenuHelpKeyNames, &QAction::triggered, this, &TFormMain::MenuHelpKeyNamesClick);
}

void TFormMain::SetOutputWindow(TFormOutput* output) {
    output_ = output;
    if (output) {
        PythonGUIInputOutput1->SetOutput(output->RichEditOutput);
        output->SetPlaceStore(context_.Services().keyStore);
    }
    if (output && context_.Services().session.IsWayland() && !sessionTold_) {
        // What works in this session and what does not, said once.
        sessionTold_ = true;
        PythonGUIInputOutput1->Write(SessionNotice(context_.Services().session));
    }
    if (editor_)
        editor_->SetOutputWindow(output);
}

TFormScriptEditor* TFormMain::ScriptEditor() {
    if (editor_)
        return editor_;
    editor_ = new TFormScriptEditor(this);
    editor_->SetDialogs(context_.Services().dialogs);
    editor_->SetModuleMethods(OrvexModuleName(), OrvexMethodDocs());
    // A dialog of this window, modal to it only: the Output window stays
    // usable while the editor is open (its test runs print there), this one
    // does not.
    editor_->setWindowModality(Qt::WindowModal);
    editor_->SetHost(this);
    editor_->SetOutputWindow(output_);
    return editor_;
}

void TFormMain::SyntaxErrorAt(const QString& file, int line) {
    // Only the editor's own test run has its syntax errors marked.
    if (editor_)
        editor_->SyntaxErrorAt(file, line);
}

TFormAbout* TFormMain::About() {
    if (!about_) {
        about_ = std::make_unique<TFormAbout>();
        about_->HLLabel1->SetShell(context_.Services().shell);
    }
    return about_.get();
}

void TFormMain::FormCreate() { FirstShow = true; }

void TFormMain::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    FormShow();
}

void TFormMain::FormShow() {
    if (!FirstShow)
        return;
    // Centred on the screen when first shown.
    if (const QScreen* screen = this->screen())
        move(screen->availableGeometry().center() - frameGeometry().center() + pos());
    ScriptPaths.clear();
    Binds = std::make_unique<TBindary>(executor_);
    Running = false;
    // A file that cannot be read fails the listing; the rest of the
    // first-show work is still done, once, and the failure is reported after.
    std::exception_ptr failure;
    try {
        LoadScriptsCombo();
    } catch (...) {
        failure = std::current_exception();
    }
    // What the window does not need to appear comes once it is on its way
    // to the screen: the interpreter's start and the keyboard hook (Run
    // starts them at once when it comes first), and the tray icon, whose
    // finding takes round trips to the bus and the X server.
    QTimer::singleShot(0, this, &TFormMain::FinishStartup);
    FirstShow = false;
    if (failure)
        std::rethrow_exception(failure);
}

void TFormMain::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    FormResize();
}

bool TFormMain::eventFilter(QObject* watched, QEvent* event) {
    if (watched == PanelTop && event->type() == QEvent::Resize) {
        // ButtonRun is anchored to the top and right edges of PanelTop.
        ButtonRun->move(PanelTop->width() - kRunRightGap - ButtonRun->width(), ButtonRun->y());
        FormResize();
    }
    return QMainWindow::eventFilter(watched, event);
}

void TFormMain::FormResize() { ComboBoxScript->resize(ButtonRun->x() - 50, ComboBoxScript->height()); }

void TFormMain::CreateTray() {
    if (tray_ || quit::Requested())
        return;
    tray_ = new TrayIcon(TrayIcon::Kind::Window, this);
    connect(tray_, &TrayIcon::ScriptChosen, this, [this](int index) {
        if (Running || index < 0 || index >= ComboBoxScript->count())
            return;
        ComboBoxScript->setCurrentIndex(index);
        ComboBoxScriptChange();
    });
    connect(tray_, &TrayIcon::RunStopChosen, this, &TFormMain::MenuFileRunClick);
    connect(tray_, &TrayIcon::ShowWindowChosen, this, &TFormMain::ShowInFront);
    connect(tray_, &TrayIcon::OutputChosen, this, &TFormMain::MenuWindowsOutputClick);
    connect(tray_, &TrayIcon::ExitChosen, this, &TFormMain::MenuFileExitClick);
    connect(tray_, &TrayIcon::Clicked, this, &TFormMain::TrayClick);
    // The list changes in several steps (cleared, filled, one selected):
    // the tray follows once they are done.
    auto* pending = new QTimer(this);
    pending->setSingleShot(true);
    pending->setInterval(0);
    connect(pending, &QTimer::timeout, this, &TFormMain::UpdateTray);
    const auto later = [pending] { pending->start(); };
    connect(ComboBoxScript, &QComboBox::currentIndexChanged, pending, later);
    connect(ComboBoxScript->model(), &QAbstractItemModel::rowsInserted, pending, later);
    connect(ComboBoxScript->model(), &QAbstractItemModel::rowsRemoved, pending, later);
    connect(ComboBoxScript->model(), &QAbstractItemModel::modelReset, pending, later);
    UpdateTray();
    if (TrayIcon::Available())
        tray_->Show();
}

void TFormMain::UpdateTray() {
    if (!tray_)
        return;
    QStringList names;
    for (int i = 0; i < ComboBoxScript->count(); ++i)
        names.append(ComboBoxScript->itemText(i));
    const int current = ComboBoxScript->currentIndex();
    tray_->SetScripts(names, current);
    tray_->SetState(names.value(current), Running);
}

bool TFormMain::ClosesToTray() const {
    return !exiting_ && !quit::Requested() && MenuOptionsKeepInTray->isChecked() && tray_ && tray_->IsShown() &&
           TrayIcon::Available();
}

void TFormMain::MenuOptionsKeepInTrayClick(bool checked) {
    if (!WriteSetting(context_.Services().keyStore.get(), kKeepInTrayKey, checked)) {
        // Not kept: the menu says what the next start will do.
        MenuOptionsKeepInTray->setChecked(!checked);
    }
}

void TFormMain::MenuOptionsStartAtLoginClick(bool checked) {
    // The entry starts the program in this folder, in the tray, with the
    // script that runs now running again.
    QString error;
    const bool done = checked ? EnableAutostart(QCoreApplication::applicationFilePath(), QDir::currentPath(),
                                                Running ? CurrentScript : QString(), &error)
                              : DisableAutostart(&error);
    MenuOptionsStartAtLogin->setChecked(AutostartEnabled());
    if (!done && context_.Services().dialogs)
        context_.Services().dialogs->ShowError(strings::AutostartNotChanged(AutostartFile(), error));
}

bool TFormMain::StartScript(const QString& fileName) {
    for (qsizetype i = 0; i < ScriptPaths.size(); ++i) {
        if (ScriptPaths.at(i).compare(fileName, Qt::CaseInsensitive) == 0) {
            if (Running)
                SetRunning(false);
            ComboBoxScript->setCurrentIndex(static_cast<int>(i));
            ComboBoxScriptChange();
            SetRunning(true);
            return true;
        }
    }
    PythonGUIInputOutput1->Write(strings::StartScriptMissing(fileName));
    return false;
}

void TFormMain::TrayClick() {
    if (isVisible() && !isMinimized())
        hide();
    else
        ShowInFront();
}

void TFormMain::ShowInFront() {
    if (isMinimized())
        showNormal();
    else
        show();
    raise();
    activateWindow();
}

void TFormMain::closeEvent(QCloseEvent* event) {
    if (ClosesToTray()) {
        // The program goes on in the tray; its click brings the window back.
        event->ignore();
        hide();
        return;
    }
    QMainWindow::closeEvent(event);
    // Closing the main window ends the program, whatever other window shows.
    if (event->isAccepted())
        ProgramClosing();
}

void TFormMain::ProgramClosing() {
    // Script code still running ends (its waits and desktop actions raise,
    // the interpreter interrupts the rest), nothing starts any more, and
    // every event loop ends, nested ones included: the stack unwinds to the
    // main loop, and the windows are destroyed after it.
    quit::Request();
    SetRunning(false);
    RemoveHook();
    // exit(), not quit(): it ends the loops at once, nested ones included,
    // and never asks the windows whether they may close first.
    QCoreApplication::exit(0);
}

void TFormMain::FormDestroy() {
    if (destroyed_)
        return;
    destroyed_ = true;
    // The executor may be gone already (the engine's own shutdown ends what
    // code is left): disarming is all that remains to do.
    executor_ = nullptr;
    SetRunning(false);
    ScriptPaths.clear();
    Binds.reset();
    RemoveHook();
}

bool TFormMain::event(QEvent* event) {
    if (event->type() == KeystrokeEvent::EventType()) {
        const KeystrokeMessage& message = static_cast<KeystrokeEvent*>(event)->Message();
        if (IsStopKey(message, stopKey_))
            StopKeyPressed();
        else
            Hook_Keystroke(message);
        return true;
    }
    return QMainWindow::event(event);
}

void TFormMain::Hook_Keystroke(const KeystrokeMessage& message) {
    if (!Running || quit::Requested())
        return;
    if (Binds)
        keystrokes_->Add(message);
}

void TFormMain::ErrorReported() {
    if (errorShown_ || !output_)
        return;
    errorShown_ = true;
    if (!output_->isVisible())
        output_->ShowWithoutFocus(this);
}

void TFormMain::StopKeyPressed() {
    // Also when the window says "Run": stopped code that caught its
    // SystemExit and runs on is told again.
    if (!quit::Requested())
        SetRunning(false);
}

QString TFormMain::Capture_Keystroke(std::uint32_t virtualKey, const platform::KeyModifiers& down) const {
    return KeyName(virtualKey, down);
}

void TFormMain::MenuFileRunClick() { SetRunning(!Running); }

void TFormMain::SetRunning(bool value) {
    // A program that is closing starts nothing, and nothing starts while
    // code runs that must not have other code nested in it (Run pressed
    // while stopped code is still ending, or from the events handled inside
    // running code).
    if (value && (quit::Requested() || (executor_ && !executor_->MayStart())))
        return;
    // Run before the start-up finished: the interpreter and the hook first.
    if (value)
        StartInterpreter();
    Running = value;
    SetControls();
    if (!value) {
        // Stop ends the code that runs now, wherever it is, and the
        // script's threads; what was typed for its KEY binds is dropped.
        keystrokes_->Clear();
        textBinds_->Disarm();
        if (executor_)
            executor_->StopCode();
    }
    if (!Binds)
        return;
    // A Stop pressed while MAIN ran ends MAIN and starts no timer.
    if (value) {
        errorShown_ = false;
        armedNames_->Set(strings::MainWindowProcess(CurrentScript), ArmedKeyNames(*Binds));
        textBinds_->Arm(*Binds, [this](const QString& notice) { PythonGUIInputOutput1->Write(notice); });
        ArmBinds(Binds, context_, [this](const QString& notice) { PythonGUIInputOutput1->Write(notice); }, {stopKey_});
    } else {
        DisarmBinds(*Binds);
        armedNames_->Set(QString(), {});
    }
}

void TFormMain::SetControls() {
    const QString caption = Running ? strings::Stop() : strings::Run();
    MenuFileRun->setText(caption);
    ButtonRun->setText(caption);
    ButtonRun->setToolTip(Running && !stopKey_.isEmpty() ? strings::StopKeyTip(stopKey_) : QString());
    MenuFileEdit->setEnabled(!Running);
    MenuFileDelete->setEnabled(!Running);
    ComboBoxScript->setEnabled(!Running);
    UpdateTray();
}

void TFormMain::MenuFileEditClick() {
    TFormScriptEditor* editor = ScriptEditor();
    if (output_)
        output_->hide();
    editor->EditFileName = CurrentScript;
    editor->exec();
    ExitScriptEdit();
}

void TFormMain::EditScriptAt(const QString& file, int line) { OpenEditorAt(file, line, QDeadlineTimer(kEditorWaitMs)); }

void TFormMain::OpenEditorAt(const QString& file, int line, QDeadlineTimer deadline) {
    // Not while another window waits for an answer (a question, a script's
    // input box), not for a file that is gone, not while the program closes.
    const QWidget* modal = QApplication::activeModalWidget();
    if ((modal && modal != editor_) || !QFileInfo::exists(file) || quit::Requested())
        return;
    TFormScriptEditor* editor = ScriptEditor();
    if (editor->isVisible()) {
        editor->ShowScriptLine(file, line);
        return;
    }
    // The editor's modal loop must not run inside script code (these events
    // may be handled from inside code that runs, and stopped code may still
    // be ending): the script stops, and the editor opens once its code
    // ended, or not at all when it will not end.
    if (executor_ && !executor_->MayStart()) {
        if (Running)
            SetRunning(false);
        if (!deadline.hasExpired())
            QTimer::singleShot(kEditorRetryMs, this,
                               [this, file, line, deadline] { OpenEditorAt(file, line, deadline); });
        return;
    }
    editor->EditFileName = file;
    editor->ShowLineOnOpen(line);
    editor->exec();
    ExitScriptEdit();
}

void TFormMain::ExitScriptEdit() {
    LoadScriptsCombo();
    const QString wanted = editor_ ? editor_->EditFileName : QString();
    for (qsizetype i = 0; i < ScriptPaths.size(); ++i) {
        if (ScriptPaths.at(i).compare(wanted, Qt::CaseInsensitive) == 0) {
            ComboBoxScript->setCurrentIndex(static_cast<int>(i));
            ComboBoxScriptChange();
            return;
        }
    }
}

void TFormMain::MenuFileDeleteClick() {
    if (!FileExists(CurrentScript))
        return;
    const auto& dialogs = context_.Services().dialogs;
    if (!dialogs || !dialogs->Confirm(strings::DeleteQuestion(CurrentScript)))
        return;
    QFile::remove(CurrentScript);  // a failed deletion is not reported
    LoadScriptsCombo();
}

void TFormMain::MenuFileExitClick() {
    exiting_ = true;
    // A window kept in the tray is closed all the same: the program ends.
    if (isVisible())
        close();
    else
        ProgramClosing();
}

void TFormMain::MenuWindowsOutputClick() {
    if (output_)
        output_->ShowFor(this);
}

void TFormMain::MenuHelpViewHelpClick() { LaunchHelpFile(context_.Services(), strings::HelpFile()); }

void TFormMain::MenuHelpKeyNamesClick() {
    if (!keyNames_)
        keyNames_ = new TKeyNameWindow(this);
    keyNames_->show();
    keyNames_->raise();
    keyNames_->activateWindow();
}

void TFormMain::MenuHelpAboutClick() {
    TFormAbout* about = About();
    about->LabelTitle->setText(strings::AboutTitle());
    about->LabelVersion->setText(strings::AboutVersion());
    about->LabelProducedBy1->setText(strings::AboutProducer());
    about->LabelProducedBy3->setText(strings::AboutPoweredBy());
    about->LabelProducedBy4->setText(strings::AboutPythonInvitation());
    about->exec();
}

}  // namespace orvexa
