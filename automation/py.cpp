// The methods of the "orvex" module. Each is bound to the program's context
// by a closure of its own (the context arrives as the method's first
// argument), parses its arguments with the interpreter's parser (so a type
// error names the method), does its work through the automation
// primitives, and returns one new reference or the error indication. A
// failure of the host (no display, no sound device, a file the device
// cannot play) is raised in the script as RuntimeError with its text:
// nothing unwinds through the interpreter's own frames.
#include "automation/py.h"

#include "automation/KeySynth.h"
#include "automation/ProgramContext.h"
#include "automation/ScreenMouse.h"
#include "automation/ScreenSearch.h"
#include "automation/Wait.h"
#include "automation/WindowActions.h"
#include "core/Quit.h"
#include "engine/PythonLock.h"
#include "engine/PythonRuntime.h"
#include "extension/PythonModule.h"
#include "platform/Clipboard.h"

#include <QObject>

#include <exception>
#include <optional>

namespace orvexa {
namespace {

enum class Effect {
    Harmless,  // reads the desktop, uses the store or releases a key
    Acts       // moves, clicks, presses, plays or waits: never once the program closes
};

using Body = PyObject* (*)(ProgramContext&, PythonRuntime&, PyObject*);

// What every method's closure carries: the program's context and the runtime
// of the engine the module was initialised by. A child of the module, so it
// lives as long as the method table that points at it.
class MethodBinding : public QObject {
public:
    MethodBinding(TPythonModule& module, ProgramContext& context, PythonRuntime& runtime)
        : QObject(&module), Context(context), Runtime(runtime) {}

    ProgramContext& Context;
    PythonRuntime& Runtime;
};

template <Body body, Effect effect = Effect::Harmless>
PyObject* Method(void* closure, PyObject*, PyObject* args) {
    const auto& binding = *static_cast<const MethodBinding*>(closure);
    PythonRuntime& py = binding.Runtime;
    try {
        if (effect == Effect::Acts && quit::Requested())
            return py.CutShort();
        return body(binding.Context, py, args);
    } catch (const std::exception& e) {
        py.PyErr_SetString(*py.PyExc_RuntimeError, e.what());
        return nullptr;
    }
}

PyObject* Text(PythonRuntime& py, const QByteArray& text) { return py.BuildValue("s", text.constData()); }

PyObject* GetColor(ProgramContext& context, PythonRuntime& py, PyObject* args) {
    int x = 0, y = 0;
    if (!py.ParseArgs(args, "ii:GetColor", &x, &y))
        return nullptr;
    return Text(py, GetColorName(context.Screen(), x, y, kColorNameMargin, kColorNameMargin, kColorNameMargin));
}

PyObject* GetRGB(ProgramContext& context, PythonRuntime& py, PyObject* args) {
    int x = 0, y = 0;
    if (!py.ParseArgs(args, "ii:GetRGB", &x, &y))
        return nullptr;
    return Text(py, GetColorRGBText(context.Screen(), x, y));
}

template <const char* Button>
PyObject* Click(ProgramContext& context, PythonRuntime& py, PyObject*) {
    platform::InputSynth& input = context.Input();
    MouseButton(input, Button, "PRESS");
    MouseButton(input, Button, "RELEASE");
    return py.NewNoneRef();
}
constexpr char kLeft[] = "LEFT";
constexpr char kRight[] = "RIGHT";

PyObject* MouseMoveAbs(ProgramContext& context, PythonRuntime& py, PyObject* args) {
    int x = 0, y = 0;
    if (!py.ParseArgs(args, "ii:MouseMoveAbs", &x, &y))
        return nullptr;
    MoveMouseAbs(context.Input(), context.Screen(), x, y);
    return py.NewNoneRef();
}

PyObject* MouseMoveRel(ProgramContext& context, PythonRuntime& py, PyObject* args) {
    int dx = 0, dy = 0;
    if (!py.ParseArgs(args, "ii:MouseMoveRel", &dx, &dy))
        return nullptr;
    MoveMouseRel(context.Input(), context.Screen(), dx, dy);
    return py.NewNoneRef();
}

PyObject* MouseX(ProgramContext& context, PythonRuntime& py, PyObject*) {
    return py.BuildValue("i", GetMouseX(context.Input(), context.Screen()));
}
PyObject* MouseY(ProgramContext& context, PythonRuntime& py, PyObject*) {
    return py.BuildValue("i", GetMouseY(context.Input(), context.Screen()));
}
PyObject* ScreenX(ProgramContext& context, PythonRuntime& py, PyObject*) {
    return py.BuildValue("i", GetScreenWidth(context.Screen()));
}
PyObject* ScreenY(ProgramContext& context, PythonRuntime& py, PyObject*) {
    return py.BuildValue("i", GetScreenHeight(context.Screen()));
}

template <void (*Action)(platform::InputSynth&, const QByteArray&), const char* Format>
PyObject* Key(ProgramContext& context, PythonRuntime& py, PyObject* args) {
    const char* text = nullptr;
    if (!py.ParseArgs(args, Format, &text))
        return nullptr;
    Action(context.Input(), QByteArray(text));
    return py.NewNoneRef();
}
constexpr char kKeyDown[] = "s:KeyDown";
constexpr char kKeyUp[] = "s:KeyUp";
constexpr char kKeySend[] = "s:KeySend";

PyObject* TypeTextMethod(ProgramContext& context, PythonRuntime& py, PyObject* args) {
    const char* text = nullptr;
    if (!py.ParseArgs(args, "s:TypeText", &text))
        return nullptr;
    // A long text is typed a slice at a time, with the program's events
    // handled between the slices (as Sleep handles them): the windows stay
    // responsive, and closing the program ends the typing and the script.
    bool closing = false;
    const auto between = [&py, &closing] {
        PythonUnlock unlock(py);
        closing = !WaitProcessingEvents(0);
        unlock.Relock();
        return !closing;
    };
    TypeText(context.Input(), QByteArray(text),
             context.Application() ? std::function<bool()>(between) : std::function<bool()>());
    return closing ? py.CutShort() : py.NewNoneRef();
}

// The variation of a search, or a ValueError naming the method.
bool CheckVariation(PythonRuntime& py, const char* method, int variation) {
    if (variation >= 0 && variation <= 255)
        return true;
    const QByteArray message = QStringLiteral("%1() variation must be from 0 to 255, not %2")
                                   .arg(QLatin1String(method))
                                   .arg(variation)
                                   .toUtf8();
    py.PyErr_SetString(*py.PyExc_ValueError, message.constData());
    return false;
}

PyObject* Point(PythonRuntime& py, const std::optional<platform::ScreenPoint>& found) {
    return found ? py.BuildValue("(ii)", found->x, found->y) : py.NewNoneRef();
}

PyObject* PixelSearchMethod(ProgramContext& context, PythonRuntime& py, PyObject* args) {
    int x1 = 0, y1 = 0, x2 = 0, y2 = 0, variation = 0;
    const char* rgbText = nullptr;
    if (!py.ParseArgs(args, "iiiis|i:PixelSearch", &x1, &y1, &x2, &y2, &rgbText, &variation))
        return nullptr;
    const std::optional<std::uint32_t> rgb = ParseRGBText(QByteArray(rgbText));
    if (!rgb) {
        const QByteArray message =
            QStringLiteral(
                "PixelSearch() rgb must be six hexadecimal digits, red first, as GetRGB gives them "
                "(such as \"FF8000\"), not \"%1\"")
                .arg(QString::fromUtf8(rgbText))
                .toUtf8();
        py.PyErr_SetString(*py.PyExc_ValueError, message.constData());
        return nullptr;
    }
    if (!CheckVariation(py, "PixelSearch", variation))
        return nullptr;
    return Point(py, PixelSearch(context.Screen(), RectBetween(x1, y1, x2, y2), *rgb, variation));
}

PyObject* ImageSearchMethod(ProgramContext& context, PythonRuntime& py, PyObject* args) {
    int x1 = 0, y1 = 0, x2 = 0, y2 = 0, variation = 0;
    const char* file = nullptr;
    if (!py.ParseArgs(args, "iiiis|i:ImageSearch", &x1, &y1, &x2, &y2, &file, &variation))
        return nullptr;
    if (!CheckVariation(py, "ImageSearch", variation))
        return nullptr;
    const QImage image = LoadSearchImage(QString::fromUtf8(file));
    return Point(py, ImageSearch(context.Screen(), RectBetween(x1, y1, x2, y2), image, variation));
}

PyObject* Sleep(ProgramContext& context, PythonRuntime& py, PyObject* args) {
    int milliseconds = 0;
    if (!py.ParseArgs(args, "i:Sleep", &milliseconds))
        return nullptr;
    if (!context.Application())
        throw Exception(QStringLiteral("No application to wait in"));
    // Python threads run while the script waits; binds that events start
    // meanwhile take the interpreter lock themselves.
    PythonUnlock unlock(py);
    const bool waited = WaitProcessingEvents(milliseconds);
    unlock.Relock();
    // A wait cut short by the program closing, or by a stop, ends the
    // script, or a loop around Sleep would spin on without ever waiting
    // again.
    return waited ? py.NewNoneRef() : py.CutShort();
}

PyObject* PlayWav(ProgramContext& context, PythonRuntime& py, PyObject* args) {
    const char* file = nullptr;
    if (!py.ParseArgs(args, "s:PlayWav", &file))
        return nullptr;
    context.WavePlayer().PlayWav(QString::fromUtf8(file));
    return py.NewNoneRef();
}

PyObject* SetBindGlobal(ProgramContext& context, PythonRuntime& py, PyObject* args) {
    const char* name = nullptr;
    const char* value = nullptr;
    if (!py.ParseArgs(args, "ss:SetBindGlobal", &name, &value))
        return nullptr;
    context.BindGlobals().Set(QString::fromUtf8(name), QString::fromUtf8(value));
    return py.NewNoneRef();
}

PyObject* GetBindGlobal(ProgramContext& context, PythonRuntime& py, PyObject* args) {
    const char* name = nullptr;
    if (!py.ParseArgs(args, "s:GetBindGlobal", &name))
        return nullptr;
    return Text(py, context.BindGlobals().Get(QString::fromUtf8(name)).toUtf8());
}

PyObject* Bool(PythonRuntime& py, bool value) {
    return py.BuildValue("O", value ? py._Py_TrueStruct : py._Py_ZeroStruct);
}

// The wait of Sleep, for the window methods' polls: the interpreter's lock
// is given up meanwhile, and false means the program is closing or the
// script was stopped.
ResponsiveWait WaitOf(PythonRuntime& py) {
    return [&py](int milliseconds) {
        PythonUnlock unlock(py);
        const bool waited = WaitProcessingEvents(milliseconds);
        unlock.Relock();
        return waited;
    };
}

PyObject* Answer(PythonRuntime& py, WindowOutcome outcome) {
    return outcome == WindowOutcome::Closing ? py.CutShort() : Bool(py, outcome == WindowOutcome::Done);
}

PyObject* WindowTitle(ProgramContext& context, PythonRuntime& py, PyObject*) {
    return Text(py, FocusedWindowTitle(context.Windows()).toUtf8());
}

PyObject* WindowActivate(ProgramContext& context, PythonRuntime& py, PyObject* args) {
    const char* text = nullptr;
    if (!py.ParseArgs(args, "s:WindowActivate", &text))
        return nullptr;
    return Answer(py, ActivateWindow(context.Windows(), QString::fromUtf8(text), WaitOf(py)));
}

PyObject* WindowWait(ProgramContext& context, PythonRuntime& py, PyObject* args) {
    const char* text = nullptr;
    int milliseconds = 0;
    if (!py.ParseArgs(args, "si:WindowWait", &text, &milliseconds))
        return nullptr;
    return Answer(py, WaitForWindowTitle(context.Windows(), QString::fromUtf8(text), milliseconds, WaitOf(py)));
}

// Reading the clipboard may wait for the program that owns it, and a script
// thread's call waits for the GUI thread: Python threads run meanwhile.
// False when the call was given up because the program is closing.
template <typename Work>
bool WithClipboard(PythonRuntime& py, Work work) {
    try {
        PythonUnlock unlock(py);
        work();
        unlock.Relock();
    } catch (const std::exception&) {
        if (!quit::Requested())
            throw;
        return false;
    }
    return true;
}

PyObject* GetClipboard(ProgramContext& context, PythonRuntime& py, PyObject*) {
    platform::Clipboard& clipboard = context.Clipboard();
    QByteArray text;
    if (!WithClipboard(py, [&] { text = clipboard.Text().toUtf8(); }))
        return py.CutShort();
    return Text(py, text);
}

PyObject* SetClipboard(ProgramContext& context, PythonRuntime& py, PyObject* args) {
    const char* text = nullptr;
    if (!py.ParseArgs(args, "s:SetClipboard", &text))
        return nullptr;
    const QString copied = QString::fromUtf8(text);
    platform::Clipboard& clipboard = context.Clipboard();
    if (!WithClipboard(py, [&] { clipboard.SetText(copied); }))
        return py.CutShort();
    return py.NewNoneRef();
}

struct Entry {
    const char* name;
    PyObject* (*method)(void* context, PyObject* self, PyObject* args);
    // What the editor's completion and the help page's table of the module
    // tell of the method: its arguments and one line of help. The help
    // page's row of each method begins with that line.
    const char* arguments;
    const char* help;
};

// The table, in the order scripts see it; each name is its own doc string.
const Entry kMethods[] = {
    {"GetColor", &Method<&GetColor>, "x, y", R"(the pixel's dominant colour: "red", "green", "blue" or "")"},
    {"GetRGB", &Method<&GetRGB>, "x, y", "the pixel's colour as six hexadecimal digits, red first"},
    {"MouseLeftClick", &Method<&Click<kLeft>, Effect::Acts>, "", "click the left button where the mouse is"},
    {"MouseRightClick", &Method<&Click<kRight>, Effect::Acts>, "", "click the right button where the mouse is"},
    {"MouseMoveAbs", &Method<&MouseMoveAbs, Effect::Acts>, "x, y", "move the mouse to x, y on the screen"},
    {"MouseMoveRel", &Method<&MouseMoveRel, Effect::Acts>, "dx, dy", "move the mouse by dx, dy pixels"},
    {"MouseX", &Method<&MouseX>, "", "the mouse's x position in pixels"},
    {"MouseY", &Method<&MouseY>, "", "the mouse's y position in pixels"},
    {"ScreenX", &Method<&ScreenX>, "", "the screen's width in pixels"},
    {"ScreenY", &Method<&ScreenY>, "", "the screen's height in pixels"},
    {"KeyDown", &Method<&Key<&PressKey, kKeyDown>, Effect::Acts>, "k", "press the key k and hold it down"},
    {"KeyUp", &Method<&Key<&ReleaseKey, kKeyUp>>, "k", "release the key k"},
    {"KeySend", &Method<&Key<&SendKey, kKeySend>, Effect::Acts>, "k", "press and release the key k"},
    {"Sleep", &Method<&Sleep, Effect::Acts>, "ms", "wait ms milliseconds while Orvexa stays responsive"},
    {"PlayWav", &Method<&PlayWav, Effect::Acts>, "file", "start playing a WAV file and return at once"},
    {"SetBindGlobal", &Method<&SetBindGlobal>, "name, value", "store a text value that every bind can read"},
    {"GetBindGlobal", &Method<&GetBindGlobal>, "name", R"(the value stored under name, or "")"},
    // Beyond the seventeen.
    {"TypeText", &Method<&TypeTextMethod, Effect::Acts>, "text", "type any text, as typed on the keyboard"},
    {"PixelSearch", &Method<&PixelSearchMethod>, "x1, y1, x2, y2, rgb, variation=0",
     "where the first pixel of about the colour rgb is: (x, y) or None"},
    {"ImageSearch", &Method<&ImageSearchMethod>, "x1, y1, x2, y2, file, variation=0",
     "where an image file shows on the screen: (x, y) or None"},
    {"WindowTitle", &Method<&WindowTitle>, "", R"(the title of the window that has the focus; "" when none has)"},
    {"WindowActivate", &Method<&WindowActivate, Effect::Acts>, "text",
     "give the focus to a window whose title contains text: True or False"},
    {"WindowWait", &Method<&WindowWait, Effect::Acts>, "text, ms",
     "wait until the focused window's title contains text: True or False"},
    {"GetClipboard", &Method<&GetClipboard>, "", R"(the clipboard's text; "" when it holds none)"},
    {"SetClipboard", &Method<&SetClipboard, Effect::Acts>, "text", "put text on the clipboard"},
};

}  // namespace

void AddAutomationMethods(TPythonModule& module, ProgramContext& context) {
    auto* binding = new MethodBinding(module, context, module.RequireRuntime());
    for (const Entry& entry : kMethods)
        module.AddObjectMethod(entry.name, TMethod{reinterpret_cast<void*>(entry.method), binding}, entry.name);
}

MethodDocs OrvexMethodDocs() {
    MethodDocs docs;
    for (const Entry& entry : kMethods)
        docs.append(
            {QString::fromLatin1(entry.name), QString::fromLatin1(entry.arguments), QString::fromUtf8(entry.help)});
    return docs;
}

}  // namespace orvexa
