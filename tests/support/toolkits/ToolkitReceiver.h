#pragma once

#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

namespace orvexa::test {

// A real program of one toolkit with a text field that has the keyboard
// focus on the display named by DISPLAY, and tells what was typed into it:
// the receiving end of typing tests and benchmarks. Each is started once and
// takes text after text.
class ToolkitReceiver {
public:
    virtual ~ToolkitReceiver() = default;

    // Empty once started; the reason otherwise.
    virtual QString Failure() const = 0;
    // What the field holds now.
    virtual QString Text() = 0;
    virtual void Clear() = 0;
    // Takes the keyboard focus again (a window manager may have given it
    // elsewhere).
    virtual void Focus() = 0;

    // Waits until the field holds `expected`, or holds a text that stayed the
    // same for `quietMs`; what it holds then.
    QString WaitFor(const QString& expected, int timeoutMs = 20000, int quietMs = 1500);
};

// The receivers by name: "xlib" (a plain Xlib client decoding with
// libxkbcommon, as toolkits do), "xterm" (cat into a file), "gtk3" (a GTK 3
// text view), "qt5", "qt6" (a QPlainTextEdit), "tk" (a Tk text widget).
std::unique_ptr<ToolkitReceiver> StartReceiver(const QString& name);
QStringList ReceiverNames();

// A keyboard layout as setxkbmap takes it, with the group to lock after it.
struct TestLayout {
    const char* name;
    QStringList arguments;
    int lockedGroup = 0;
};
// us, us dvorak, se, us+se, se+us (switched by a key), de, fr, ru, and us+ru
// with the Russian group locked.
std::vector<TestLayout> TestLayouts();
// Sets the layout and locks its group; false when setxkbmap failed.
bool UseLayout(const TestLayout& layout);

// Texts that a user types: words, the shifted symbols, letters of several
// alphabets with the euro and an emoji, accents, 500 characters that mix
// them all, and a line with a line break and a tab.
struct TestText {
    const char* name;
    QString text;
};
std::vector<TestText> TestTexts();

// The characters of `text` that no key of the server's keyboard types, in
// any group, as `xmodmap -pke` lists the keys.
int CharactersNoKeyTypes(const QString& text, const QString& keyboardMap);

}  // namespace orvexa::test
