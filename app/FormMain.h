#pragma once

#include "editor/ScriptHost.h"

#include <QDeadlineTimer>
#include <QMainWindow>
#include <QPointer>
#include <QStringList>

#include <cstdint>
#include <memory>

class QAction;
class QComboBox;
class QLabel;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QWidget;

namespace orvexa {

namespace platform {
struct KeyModifiers;
}

class KeystrokeQueue;
class TextBinds;
class ProgramContext;
class TBindary;
class TPythonEngine;
class TPythonGUIInputOutput;
class TPythonModule;
struct KeystrokeMessage;
class TFormAbout;
class TKeyNameWindow;
class TFormOutput;
class TFormScriptEditor;
class LineExecutor;
class TrayIcon;
class ArmedNames;

// The main window: the script list, the selected script's description, and
// the switch between stopped and running.
class TFormMain : public QMainWindow, public ScriptHost {
    Q_OBJECT
public:
    // The context (the desktop, the bind globals, the player) outlives the
    // window.
    explicit TFormMain(ProgramContext& context, QWidget* parent = nullptr);
    ~TFormMain() override;

    // The Output window, created after this one.
    void SetOutputWindow(TFormOutput* output);
    // The script editor, a dialog of this window, made when it is first
    // needed (its text control takes a while to make, and a start need not
    // wait for it).
    TFormScriptEditor* ScriptEditor();
    // A syntax error printed in the Output window, with its place: marked in
    // the editor when it is of the editor's test run.
    void SyntaxErrorAt(const QString& file, int line);
    // The About box, a window of its own made when it is first shown and
    // kept for every later showing.
    TFormAbout* About();
    TrayIcon* Tray() const { return tray_; }
    // What executes bind code: the interpreter engine, unless a test says
    // otherwise before the first show.
    void SetExecutor(LineExecutor* executor) { executor_ = executor; }

    // Handlers and operations.
    void FormCreate();
    void FormShow();
    void FormResize();
    void FormDestroy();
    void ComboBoxScriptChange();
    void MenuFileRunClick();
    void SetRunning(bool value) override;
    void SetControls();
    void MenuFileEditClick();
    // A line of a script file asked for from the Output window: the editor
    // shows it marked, opened on that file as Edit opens it (a running
    // script stops, and the editor opens once its code ended) when it is not
    // open; the Output window stays.
    void EditScriptAt(const QString& file, int line);
    // How long the editor waits for script code to end before it opens (see
    // EditScriptAt), and how often it looks.
    static constexpr int kEditorWaitMs = 3000;
    static constexpr int kEditorRetryMs = 50;
    void ExitScriptEdit() override;
    void MenuFileDeleteClick();
    void MenuFileExitClick();
    void MenuWindowsOutputClick();
    // Options: keep running in the tray when the window is closed.
    void MenuOptionsKeepInTrayClick(bool checked);
    // Options: start at login (the autostart entry written or removed).
    void MenuOptionsStartAtLoginClick(bool checked);
    // Selects the script with the file name (as the list does) and runs it;
    // false when the list has no such script.
    bool StartScript(const QString& fileName);
    // The tray icon was clicked: the window is shown or hidden.
    void TrayClick();
    // Shows the window, in front, with the focus (the tray's Show window, a
    // second start of the program).
    void ShowInFront();
    // The program closes: the main window was closed, or the desktop asked
    // the program to end. Disarms, removes the hook, makes script code end
    // and leaves the event loops; the windows are destroyed afterwards.
    void ProgramClosing();
    // The keyboard hook's keystroke messages, named from the modifiers that
    // were down at the moment of each press. While code runs that must not
    // have a bind nested in it, they wait for it (KeystrokeQueue).
    void Hook_Keystroke(const KeystrokeMessage& message);
    // The stop hot key was pressed: the script stops as with Stop.
    void StopKeyPressed();
    // A script error was printed: the first of a run shows the Output
    // window, without taking the focus from where the user works.
    void ErrorReported();
    QString Capture_Keystroke(std::uint32_t virtualKey, const platform::KeyModifiers& down) const;
    void MenuHelpViewHelpClick();
    void MenuHelpAboutClick();
    // Shows the key-name window, made at the first showing.
    void MenuHelpKeyNamesClick();
    void PythonModule1Initialization(QObject* sender);

    // The catalogue.
    void LoadScriptsCombo();
    QString GetShortDesc(const QString& fileName) const;
    void LoadLongDesc(const QString& fileName);
    void ParseBinds(const QString& fileName);

    // State.
    bool FirstShow = true;
    bool Running = false;
    QStringList ScriptPaths;
    std::unique_ptr<TBindary> Binds;
    QString CurrentScript;

    // Components: the interpreter engine, the module scripts import as
    // "orvex", and the component that carries their output to the Output
    // window. Children of this window, destroyed last-created first, after
    // the redirection module that the engine's start makes.
    TPythonModule* PythonModule1 = nullptr;
    TPythonEngine* PythonEngine1 = nullptr;
    TPythonGUIInputOutput* PythonGUIInputOutput1 = nullptr;

    // Controls.
    QWidget* PanelTop = nullptr;
    QLabel* LabelScript = nullptr;
    QComboBox* ComboBoxScript = nullptr;
    QPushButton* ButtonRun = nullptr;
    QPlainTextEdit* RichEditDesc = nullptr;
    QMenu* MenuFile = nullptr;
    QAction* MenuFileRun = nullptr;
    QAction* MenuFileEdit = nullptr;
    QAction* MenuFileDelete = nullptr;
    QAction* MenuFileExit = nullptr;
    QMenu* MenuWindows = nullptr;
    QAction* MenuWindowsOutput = nullptr;
    QMenu* MenuOptions = nullptr;
    QAction* MenuOptionsKeepInTray = nullptr;
    QAction* MenuOptionsStartAtLogin = nullptr;
    QMenu* MenuHelp = nullptr;
    QAction* MenuHelpViewHelp = nullptr;
    QAction* MenuHelpAbout = nullptr;
    QAction* MenuHelpKeyNames = nullptr;

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    bool event(QEvent* event) override;

private:
    // EditScriptAt, trying again until `deadline` while code runs.
    void OpenEditorAt(const QString& file, int line, QDeadlineTimer deadline);
    void CreateMenus();
    void CreateWidgets();
    void ConnectHandlers();
    void CreateComponents();
    void LoadComponents();
    // The interpreter's start and the keyboard hook, once: after the first
    // show, or at the first Run if that comes earlier.
    void StartInterpreter();
    // The first show's work that waits for the window to be on its way to
    // the screen: the interpreter, the hook, the tray icon.
    void FinishStartup();
    void DestroyComponents();
    void CreateTray();
    // The tray's menu and picture follow the list and the state.
    void UpdateTray();
    // Closing the window hides it in the tray instead of ending the program.
    bool ClosesToTray() const;

    ProgramContext& context_;
    // The module "pyio", made by the engine's redirection step; the first
    // component to go, since its going stops the interpreter.
    std::unique_ptr<TPythonModule> pyio_;
    // The Output window has been told what a Wayland session allows.
    bool sessionTold_ = false;
    QPointer<TFormScriptEditor> editor_;
    QPointer<TFormOutput> output_;
    std::unique_ptr<TFormAbout> about_;
    TKeyNameWindow* keyNames_ = nullptr;
    LineExecutor* executor_ = nullptr;
    bool destroyed_ = false;
    bool interpreterStarted_ = false;
    KeystrokeQueue* keystrokes_ = nullptr;
    TextBinds* textBinds_ = nullptr;
    // The stop hot key's name; empty when there is none.
    QString stopKey_;
    // The Output window was shown for an error of the current run.
    bool errorShown_ = false;
    // The program's icon in the tray; shown while the window program runs
    // and the desktop has a tray.
    TrayIcon* tray_ = nullptr;
    // File > Exit or the tray's Exit: the program ends whatever the tray
    // setting says.
    bool exiting_ = false;
    // The key names armed now, told to the program's other processes.
    ArmedNames* armedNames_ = nullptr;
};

}  // namespace orvexa
