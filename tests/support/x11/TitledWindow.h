#pragma once

#include "platform/x11/X11Display.h"

#include <QByteArray>
#include <QString>

namespace orvexa::platform::x11 {

// A plain X client's top-level window with a title, on a connection of its
// own, as another program's window would be. For tests of the window
// methods. It never reads its events: a window manager focuses it without
// its help (it takes the input focus as ICCCM's passive model says).
class TitledWindow {
public:
    enum class Naming {
        NetWmName,    // _NET_WM_NAME in UTF-8 and WM_NAME in Latin-1, as toolkits set them
        WmNameOnly,   // WM_NAME only, Latin-1 (STRING)
        CompoundText  // WM_NAME only, as compound text
    };
    TitledWindow(const QString& title, Naming naming = Naming::NetWmName);
    ~TitledWindow();
    TitledWindow(const TitledWindow&) = delete;
    TitledWindow& operator=(const TitledWindow&) = delete;

    bool Ok() const { return window_ != 0; }
    unsigned long Id() const { return window_; }

    void SetTitle(const QString& title, Naming naming = Naming::NetWmName);
    // Shows the window; waits until the server has it on the screen.
    void Show();
    // Withdraws it (ICCCM: unmap, and tell the window manager).
    void Hide();
    // Asks the window manager to minimise it.
    void Minimise();
    // Takes the input focus, as a program does when the user clicks it
    // without a window manager.
    void TakeFocus();
    void Destroy();
    // A window manager has taken the window in (it set WM_STATE).
    bool Managed();

private:
    X11Display display_;
    unsigned long window_ = 0;
};

// Lets no window own the clipboard selection: the clipboard is then empty.
void ClearClipboard();

}  // namespace orvexa::platform::x11
