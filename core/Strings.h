#pragma once

#include <QString>
#include <QStringList>

// Every user-visible text of the program's windows and boxes, in one place.
namespace orvexa::strings {

// The main window.
inline QString AppTitle() { return QStringLiteral("Orvexa"); }
inline QString ScriptLabel() { return QStringLiteral("Script:"); }
inline QString Run() { return QStringLiteral("&Run"); }
inline QString Stop() { return QStringLiteral("&Stop"); }
inline QString MenuFile() { return QStringLiteral("&File"); }
inline QString MenuFileEdit() { return QStringLiteral("&Edit"); }
inline QString MenuFileDelete() { return QStringLiteral("&Delete"); }
inline QString MenuFileExit() { return QStringLiteral("&Exit"); }
inline QString MenuWindows() { return QStringLiteral("&Windows"); }
inline QString MenuWindowsOutput() { return QStringLiteral("&Output"); }
inline QString MenuHelp() { return QStringLiteral("&Help"); }
inline QString MenuHelpViewHelp() { return QStringLiteral("&View Help"); }
inline QString MenuHelpAbout() { return QStringLiteral("&About"); }
inline QString MenuHelpKeyNames() { return QStringLiteral("&Key Names"); }

// The key-name window.
inline QString KeyNamesTitle() { return QStringLiteral("Key Names"); }
inline QString KeyNamesHint() {
    return QStringLiteral("Press a key combination: its KEY and HOTKEY names appear below, to copy into a script.");
}
inline QString KeyNamesPressed(const QString& combination) { return QStringLiteral("Pressed: %1").arg(combination); }
inline QString KeyNamesKey() { return QStringLiteral("KEY:"); }
inline QString KeyNamesHotkey() { return QStringLiteral("HOTKEY:"); }
inline QString KeyNamesCopy() { return QStringLiteral("Copy"); }
inline QString KeyNamesNoKeyName() { return QStringLiteral("no KEY name: use the HOTKEY name"); }
inline QString KeyNamesNoHotkeyName() { return QStringLiteral("no HOTKEY name"); }

// The main window's Options menu.
inline QString MenuOptions() { return QStringLiteral("&Options"); }
inline QString MenuOptionsKeepInTray() { return QStringLiteral("Keep running in the &tray when the window is closed"); }
inline QString MenuOptionsStartAtLogin() { return QStringLiteral("Start at &login"); }

inline QString AutostartNotChanged(const QString& file, const QString& why) {
    return QStringLiteral("The start at login could not be changed: %1: %2").arg(file, why);
}
inline QString StartScriptMissing(const QString& file) {
    return QStringLiteral("The script \"%1\" to start is not in the list of this folder.\n").arg(file);
}

// The tray icon: its menu and its tooltip.
inline QString TrayScripts() { return QStringLiteral("S&cripts"); }
inline QString TrayShowWindow() { return QStringLiteral("Show &window"); }
inline QString TrayToolTip(const QString& script, bool running) {
    if (script.isEmpty())
        return QStringLiteral("Orvexa: no script");
    return running ? QStringLiteral("Orvexa: %1 (running)").arg(script)
                   : QStringLiteral("Orvexa: %1 (stopped)").arg(script);
}

// Another process of the program armed a key name this one armed too.
inline QString NameArmedTwice(const QString& name, qint64 pid, const QString& who) {
    return QStringLiteral("%1 is also armed by another Orvexa, process %2 (%3): one press runs the binds of both.\n")
        .arg(name)
        .arg(pid)
        .arg(who);
}
// How this process is described to the others.
inline QString MainWindowProcess(const QString& script) {
    return script.isEmpty() ? QStringLiteral("the main window") : QStringLiteral("the main window, %1").arg(script);
}
inline QString RunProcess(const QString& script) { return QStringLiteral("orvexa --run %1").arg(script); }

// A --run --tray: the desktop's notifications of the script's errors.
inline QString ScriptErrorNotice(const QString& script) { return QStringLiteral("Error in %1").arg(script); }
inline QString ScriptErrorsHeldNotice(const QString& script, int count) {
    return count == 1 ? QStringLiteral("1 more error in %1").arg(script)
                      : QStringLiteral("%1 more errors in %2").arg(count).arg(script);
}
inline QString NoTrayNotice() {
    return QStringLiteral("orvexa: this desktop shows no tray icons; the script runs without one.");
}

inline QString DeleteQuestion(const QString& file) {
    return QStringLiteral("Are you sure you want to delete the file \"%1\"?").arg(file);
}

// The help.
inline QString HelpFile() { return QStringLiteral("orvexa_help.htm"); }
inline QString NoOpenerNotice(const QString& file) {
    return QStringLiteral(
               "Sorry, your command interpreter could not be found, please try using your "
               "internet browser to view the file \"%1\" located in the QX directory.")
        .arg(file);
}

// The scripts folder (--scripts-folder), told on standard error.
inline QString ScriptsFolderName() { return QStringLiteral("Orvexa"); }
inline QString ScriptsFolderNotMade(const QString& folder) {
    return QStringLiteral("The scripts folder \"%1\" could not be made").arg(folder);
}
inline QString ExampleNotCopied(const QString& file, const QString& folder) {
    return QStringLiteral("The example \"%1\" could not be copied to \"%2\"").arg(file, folder);
}
inline QString NoExamplesFound(const QString& folder) {
    return QStringLiteral("No example scripts were found to copy to \"%1\"").arg(folder);
}
inline QString ScriptsFolderNotEntered(const QString& folder, const QString& current) {
    return QStringLiteral("The scripts folder \"%1\" cannot be used; the scripts of \"%2\" are listed")
        .arg(folder, current);
}

// The About box.
inline QString AboutCaption() { return QStringLiteral("About"); }
inline QString AboutTitle() { return QStringLiteral("Orvexa"); }
inline QString AboutVersion() { return QStringLiteral("Version 1.2"); }
inline QString AboutProducer() { return QStringLiteral("The Orvexa team"); }
inline QString AboutPoweredBy() { return QStringLiteral("Powered By Python"); }
inline QString AboutPythonInvitation() { return QStringLiteral("(Visit www.python.org)"); }
inline QString AboutLibVersion() { return QStringLiteral("Tamblib Version 1.1"); }
inline QString AboutProducedBy() { return QStringLiteral("Produced By:"); }
inline QString AboutAddress() { return QStringLiteral("orvexa.example.org"); }
inline QString AboutOk() { return QStringLiteral("&Ok"); }

// The script editor; its File and Windows menus, Output item and Run and
// Stop captions are the main window's.
inline QString EditCaption() { return QStringLiteral("Edit"); }
// An asterisk before the name while the text has unsaved changes.
inline QString EditCaptionFor(const QString& file, bool modified = false) {
    return QStringLiteral("Edit - ") + (modified ? QStringLiteral("*") : QString()) + file;
}
inline QString EditMenuFileNew() { return QStringLiteral("&New"); }
inline QString EditMenuFileOpen() { return QStringLiteral("&Open"); }
inline QString EditMenuFileSave() { return QStringLiteral("&Save"); }
inline QString EditMenuFileSaveAs() { return QStringLiteral("Save &As"); }
inline QString NotSavedQuestion() { return QStringLiteral("You have not saved your work, are you sure?"); }
inline QString SaveAndRunQuestion() { return QStringLiteral("You have not saved your work, save and run?"); }
inline QString ScriptFilter() { return QStringLiteral("Orvexa Script (*.orx)"); }
// Its Edit menu, after File.
inline QString EditMenuEdit() { return QStringLiteral("&Edit"); }
inline QString EditMenuUndo() { return QStringLiteral("&Undo"); }
inline QString EditMenuRedo() { return QStringLiteral("&Redo"); }
inline QString EditMenuFind() { return QStringLiteral("&Find..."); }
inline QString EditMenuFindNext() { return QStringLiteral("Find &Next"); }
inline QString EditMenuFindPrevious() { return QStringLiteral("Find &Previous"); }
inline QString EditMenuReplace() { return QStringLiteral("R&eplace..."); }
inline QString EditMenuGoToLine() { return QStringLiteral("&Go to Line..."); }
// The bar below its text for finding, replacing and going to a line.
inline QString FindLabel() { return QStringLiteral("Find:"); }
inline QString FindNext() { return QStringLiteral("Ne&xt"); }
inline QString FindPrevious() { return QStringLiteral("Pre&vious"); }
inline QString FindMatchCase() { return QStringLiteral("Match &case"); }
inline QString FindWholeWords() { return QStringLiteral("Whole wor&ds"); }
inline QString ReplaceLabel() { return QStringLiteral("Replace with:"); }
inline QString ReplaceOne() { return QStringLiteral("Re&place"); }
inline QString ReplaceAll() { return QStringLiteral("Replace &all"); }
inline QString GoToLineLabel() { return QStringLiteral("Go to line:"); }
inline QString GoToLineGo() { return QStringLiteral("&Go"); }
inline QString FindBarClose() { return QStringLiteral("Close"); }
inline QString FindNotFound() { return QStringLiteral("Not found"); }
inline QString ReplacedCount(int count) { return QStringLiteral("%1 replaced").arg(count); }

// The Output window.
inline QString OutputCaption() { return QStringLiteral("Output"); }
inline QString OutputClose() { return QStringLiteral("&Close"); }
inline QString OutputClear() { return QStringLiteral("Clea&r"); }

// The box a script's input() opens.
inline QString InputQueryCaption() { return QStringLiteral("Query for Python"); }
inline QString InputQueryPrompt() { return QStringLiteral("Enter text"); }

// The boxes of the dialogs.
inline QString FatalCaption() { return QStringLiteral("Error"); }
inline QString ConfirmCaption() { return QStringLiteral("Confirm"); }
inline QString Yes() { return QStringLiteral("&Yes"); }
inline QString No() { return QStringLiteral("&No"); }
inline QString Ok() { return QStringLiteral("OK"); }
inline QString Cancel() { return QStringLiteral("Cancel"); }

// The Stop button's tip, with the stop hot key's name.
inline QString StopKeyTip(const QString& stopKey) {
    return QStringLiteral("Stops the script. %1 stops it from any window.").arg(stopKey);
}

// Code that would start from inside the events processed for running code.
inline QString CodeIsRunning() {
    return QStringLiteral("Script code is running; nothing else starts until it returns");
}

// What the error box says of an error that is neither an Exception nor a
// standard exception.
inline QString UnknownError() { return QStringLiteral("Unknown error"); }
// The fatal box's text when Python cannot be loaded or started.
inline QString DllQuitMessage(const QString& dllName) {
    return QStringLiteral("Dll %1 could not be loaded. We must quit.").arg(dllName);
}
inline QString PythonQuitMessage() { return QStringLiteral("Python could not be properly initialized. We must quit."); }

// A Wayland session, where the program runs as an X11 client of XWayland.
inline QString ScreenUnreadableOnWayland() {
    return QStringLiteral(
        "The screen cannot be read: this is a Wayland session, where an X11 program such as Orvexa may read "
        "no pixel of the screen. Log in to an X11 session (for example \"GNOME on Xorg\" or \"Plasma (X11)\") "
        "to use GetRGB, GetColor, PixelSearch and ImageSearch");
}
inline QString RectangleUnreadable(int x, int y, int width, int height) {
    return QStringLiteral("The %1 x %2 pixels at (%3, %4) could not be read from the X server")
        .arg(width)
        .arg(height)
        .arg(x)
        .arg(y);
}
inline QString PixelUnreadable(int x, int y) {
    return QStringLiteral("The pixel at (%1, %2) could not be read from the X server").arg(x).arg(y);
}
// Said once in the Output window when the program starts in a Wayland
// session.
inline QString WaylandSessionNotice() {
    return QStringLiteral(
        "Orvexa runs in a Wayland session, through XWayland.\n"
        "Works: KeySend, KeyDown, KeyUp, TypeText and the mouse methods, for the windows of X11 programs "
        "only; ScreenX and ScreenY.\n"
        "Does not work: GetRGB, GetColor, PixelSearch and ImageSearch (Wayland lets X11 programs read no pixel of the "
        "screen: they raise "
        "an error); keys and clicks do not reach the windows of Wayland programs; MouseX and MouseY are where "
        "the pointer last was over an X11 window; KEY binds fire only while an X11 window has the focus; "
        "WindowTitle, WindowActivate and WindowWait see the windows of X11 programs only.\n"
        "Why: Wayland keeps programs apart, and Orvexa talks to the desktop through X11. For all of it to "
        "work, log in to an X11 session (for example \"GNOME on Xorg\" or \"Plasma (X11)\").");
}

// The same where keys and the mouse, or the screen, or both, go through the
// desktop's portals.
inline QString WaylandPortalSessionNotice(bool portalInput, bool portalScreen) {
    if (portalInput && portalScreen)
        return QStringLiteral(
            "Orvexa runs in a Wayland session; keys and the mouse go through the desktop's remote-desktop portal, "
            "and the screen is read from its screen cast.\n"
            "Works: KeySend, KeyDown, KeyUp, TypeText and the mouse methods, for every window; GetRGB, GetColor, "
            "PixelSearch, ImageSearch, ScreenX, ScreenY, MouseX and MouseY; once the desktop has asked you to "
            "allow it (at the first key, click or screen read of a run; one question for all of them).\n"
            "MouseX and MouseY tell where Orvexa last moved the pointer where the desktop sends no cursor with "
            "its screen cast; WindowTitle, WindowActivate and WindowWait see the windows of X11 programs only.");
    if (portalScreen)
        return QStringLiteral(
            "Orvexa runs in a Wayland session, through XWayland; the screen is read from the desktop's screen "
            "cast.\n"
            "Works: GetRGB, GetColor, PixelSearch, ImageSearch, ScreenX, ScreenY, MouseX and MouseY, once the "
            "desktop has asked you to allow it (at the first screen read of a run); KeySend, KeyDown, KeyUp, "
            "TypeText and the mouse methods for the windows of X11 programs only.\n"
            "Does not work: keys and clicks do not reach the windows of Wayland programs (the desktop has no "
            "remote-desktop portal); WindowTitle, WindowActivate and WindowWait see the windows of X11 programs "
            "only.");
    return QStringLiteral(
        "Orvexa runs in a Wayland session; keys and the mouse go through the desktop's remote-desktop portal.\n"
        "Works: KeySend, KeyDown, KeyUp, TypeText and the mouse methods, for every window, once the desktop has "
        "asked you to allow it (at the first key or click of a run); ScreenX and ScreenY.\n"
        "Does not work: GetRGB, GetColor, PixelSearch and ImageSearch (the desktop has no screen-cast portal: they "
        "raise an error); MouseX and MouseY tell where Orvexa last moved the pointer; WindowTitle, WindowActivate "
        "and WindowWait see the windows of X11 programs only.\n"
        "For all of it to work, log in to an X11 session (for example \"GNOME on Xorg\" or \"Plasma (X11)\").");
}

// How KEY binds work in a Wayland session.
inline QString WaylandShortcutsNotice(bool portal) {
    return portal ? QStringLiteral(
                        "KEY binds become the desktop's global shortcuts when Run arms a script (the desktop may ask "
                        "you to confirm them); Run says which ones the desktop bound, and the others fire only "
                        "while an X11 window has the focus.")
                  : QStringLiteral(
                        "KEY binds fire only while an X11 window has the focus: this desktop's portal "
                        "has no global shortcuts.");
}

// The desktop's portals on Wayland sessions. `what` names the permission:
// "control the desktop" for keys and the mouse, "see the screen" for a
// screen cast.
inline QString PortalUnanswered(const QString& what, int seconds) {
    return QStringLiteral(
               "The desktop asked whether Orvexa may %1, and no answer came within %2 seconds; the question was "
               "withdrawn and comes again at the next try")
        .arg(what)
        .arg(seconds);
}
inline QString PortalStillAsking(const QString& what) {
    return QStringLiteral("The desktop is still asking whether Orvexa may %1").arg(what);
}
inline QString PortalSessionEnded(const QString& what) {
    return QStringLiteral(
               "The desktop ended the permission to %1 (the sharing was stopped); run the script again to be "
               "asked anew")
        .arg(what);
}
// Keys or the pointer not granted: GNOME's dialog shares the screen alone
// unless its switch is on.
inline QString RemoteInteractionOff(bool keys) {
    return QStringLiteral(
               "%1: the desktop shared the screen without \"Allow remote interaction\". Run the script again and "
               "switch \"Allow remote interaction\" on when the desktop asks")
        .arg(keys ? QStringLiteral("Keys cannot be sent") : QStringLiteral("The mouse cannot be moved or clicked"));
}
inline QString PortalInputRefused(const QString& reason) {
    return QStringLiteral("The desktop did not take the input: %1").arg(reason);
}
// Where neither the screen cast shows the pointer nor Orvexa moved it yet.
inline QString CursorPositionUnknown() {
    return QStringLiteral(
        "The pointer's position is not known: the desktop sends no pointer with its screen cast, and Orvexa has "
        "not moved the pointer yet (MouseMoveAbs makes it known)");
}
// `characters` as the user reads them, with their code points.
inline QString UntypeableCharacters(const QStringList& characters) {
    return QStringLiteral(
               "Cannot type %1: the desktop's keyboard layout has no key for %2, and the desktop types only what "
               "its layout has. Nothing was typed")
        .arg(characters.join(QStringLiteral(", ")),
             characters.size() == 1 ? QStringLiteral("it") : QStringLiteral("them"));
}
// Where the desktop's keyboard map cannot be read (`why`).
inline QString KeymapUnknownNotice(const QString& why) {
    return QStringLiteral(
               "Characters that the desktop's keyboard layout has no key for cannot be found before typing (%1): "
               "the desktop leaves them out of typed text without a word.")
        .arg(why);
}
// Said when Run arms a script whose KEY binds go to the desktop's global
// shortcuts: which ones the desktop bound, and what becomes of the others.
inline QString ShortcutsBound(const QStringList& names) {
    return QStringLiteral("KEY binds that are the desktop's global shortcuts: %1.")
        .arg(names.join(QStringLiteral(", ")));
}
inline QString ShortcutsUnbound(const QStringList& names, const QString& failure, bool x11) {
    const QString why = failure.isEmpty()
                            ? QStringLiteral("the desktop did not bind them")
                            : QStringLiteral("the desktop's global-shortcut portal failed: %1").arg(failure);
    return (x11 ? QStringLiteral("KEY binds that fire only while an X11 window has the focus (%1): %2.")
                : QStringLiteral("KEY binds that cannot fire (%1): %2."))
        .arg(why, names.join(QStringLiteral(", ")));
}

// KEY binds whose names no key press has, told at Run.
inline QString KeyNameNeverMatches(const QString& name, const QString& meant, const QString& hotkey) {
    const QString never = QStringLiteral("KEY %1: no key combination has this name").arg(name);
    if (meant.isEmpty())
        return hotkey.isEmpty() ? never : never + QStringLiteral("; use HOTKEY %1").arg(hotkey);
    const QString write = never + QStringLiteral("; KEY names write %1").arg(meant);
    return hotkey.isEmpty() ? write : write + QStringLiteral(" (or use HOTKEY %1)").arg(hotkey);
}
inline QString HotkeyNameNeverMatches(const QString& name) {
    return QStringLiteral("HOTKEY %1: no key combination has this name").arg(name);
}
inline QString HotkeyTaken(const QString& hotkey) {
    return QStringLiteral("%1 is taken by another program").arg(hotkey);
}
inline QString MoreKeyNamesNeverMatch(qsizetype count) {
    return QStringLiteral("%1 more KEY binds have names that no key combination has").arg(count);
}
// TEXT binds where no key stream reaches the program, said at Run.
inline QString TextBindsCannotFire() {
    return QStringLiteral(
        "TEXT binds do not work here: this desktop shows Orvexa no keys typed into other programs, so no "
        "abbreviation is ever seen. KEY and HOTKEY binds may still work.");
}
inline QString TextBindsOnlyInX11Windows() {
    return QStringLiteral(
        "TEXT binds work only in X11 windows here: on Wayland, Orvexa sees the keys typed into X11 programs "
        "(through XWayland), never those typed into Wayland programs.");
}

// The names of script files and the markers of their descriptions.
inline QString ScriptPattern() { return QStringLiteral(".orx"); }
inline QString ShortDescMarker() { return QStringLiteral("//SHORTDESC:"); }
inline QString LongDescMarker() { return QStringLiteral("//LONGDESC:"); }
inline QString EndLongDescMarker() { return QStringLiteral("//ENDLONGDESC"); }

}  // namespace orvexa::strings
