// The methods of the "orvex" module. Each parses its arguments with the
// interpreter's parser (so a type error names the method), does its work
// through the automation primitives, and returns one new reference or the
// error indication. A failure of the host (no display, no sound device, a
// file the device cannot play) is raised in the script as RuntimeError with
// its text: nothing unwinds through the interpreter's own frames.
#include "automation/py.h"

#include "automation/BindGlobals.h"
#include "automation/KeySynth.h"
#include "automation/ScreenMouse.h"
#include "automation/Wait.h"
#include "automation/WavePlayer.h"
#include "core/Quit.h"
#include "engine/PythonEngine.h"
#include "extension/PythonModule.h"

#include <QCoreApplication>
#include <QPointer>

#include <exception>

namespace orvexa {
namespace {

QPointer<QCoreApplication>& Application() {
    static QPointer<QCoreApplication> application;
    return application;
}

enum class Effect {
    Harmless,  // reads the desktop, uses the store or releases a key
    Acts       // moves, clicks, presses, plays or waits: never once the program closes
};

template <PyObject* (*Body)(PythonRuntime&, PyObject*), Effect effect = Effect::Harmless>
PyObject* Method(PyObject*, PyObject* args) {
    PythonRuntime* py = nullptr;
    try {
        py = &GetRunningEngine().Runtime();
        if (effect == Effect::Acts && quit::Requested())
            return py->RaiseClosing();
        return Body(*py, args);
    } catch (const std::exception& e) {
        if (py)
            py->PyErr_SetString(*py->PyExc_RuntimeError, e.what());
        return nullptr;
    }
}

PyObject* Text(PythonRuntime& py, const QByteArray& text) { return py.BuildValue("s", text.constData()); }

PyObject* GetColor(PythonRuntime& py, PyObject* args) {
    int x = 0, y = 0;
    if (!py.ParseArgs(args, "ii:GetColor", &x, &y))
        return nullptr;
    return Text(py, GetColorName(x, y, kColorNameMargin, kColorNameMargin, kColorNameMargin));
}

PyObject* GetRGB(PythonRuntime& py, PyObject* args) {
    int x = 0, y = 0;
    if (!py.ParseArgs(args, "ii:GetRGB", &x, &y))
        return nullptr;
    return Text(py, GetColorRGBText(x, y));
}

template <const char* Button>
PyObject* Click(PythonRuntime& py, PyObject*) {
    MouseButton(Button, "PRESS");
    MouseButton(Button, "RELEASE");
    return py.NewNoneRef();
}
constexpr char kLeft[] = "LEFT";
constexpr char kRight[] = "RIGHT";

PyObject* MouseMoveAbs(PythonRuntime& py, PyObject* args) {
    int x = 0, y = 0;
    if (!py.ParseArgs(args, "ii:MouseMoveAbs", &x, &y))
        return nullptr;
    MoveMouseAbs(x, y);
    return py.NewNoneRef();
}

PyObject* MouseMoveRel(PythonRuntime& py, PyObject* args) {
    int dx = 0, dy = 0;
    if (!py.ParseArgs(args, "ii:MouseMoveRel", &dx, &dy))
        return nullptr;
    MoveMouseRel(dx, dy);
    return py.NewNoneRef();
}

template <int (*Read)()>
PyObject* Integer(PythonRuntime& py, PyObject*) {
    return py.BuildValue("i", Read());
}

template <void (*Action)(const QByteArray&), const char* Format>
PyObject* Key(PythonRuntime& py, PyObject* args) {
    const char* text = nullptr;
    if (!py.ParseArgs(args, Format, &text))
        return nullptr;
    Action(QByteArray(text));
    return py.NewNoneRef();
}
constexpr char kKeyDown[] = "s:KeyDown";
constexpr char kKeyUp[] = "s:KeyUp";
constexpr char kKeySend[] = "s:KeySend";

PyObject* TypeTextMethod(PythonRuntime& py, PyObject* args) {
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
    TypeText(QByteArray(text), Application() ? std::function<bool()>(between) : std::function<bool()>());
    return closing ? py.RaiseClosing() : py.NewNoneRef();
}

PyObject* Sleep(PythonRuntime& py, PyObject* args) {
    int milliseconds = 0;
    if (!py.ParseArgs(args, "i:Sleep", &milliseconds))
        return nullptr;
    if (!Application())
        throw Exception(QStringLiteral("No application to wait in"));
    // Python threads run while the script waits; binds that events start
    // meanwhile take the interpreter lock themselves.
    PythonUnlock unlock(py);
    const bool waited = WaitProcessingEvents(milliseconds);
    unlock.Relock();
    // A wait cut short by the program closing ends the script, or a loop
    // around Sleep would spin on without ever waiting again.
    return waited ? py.NewNoneRef() : py.RaiseClosing();
}

PyObject* PlayWav(PythonRuntime& py, PyObject* args) {
    const char* file = nullptr;
    if (!py.ParseArgs(args, "s:PlayWav", &file))
        return nullptr;
    TWavePlayer* player = WavePlayer();
    if (!player)
        throw Exception(QStringLiteral("No wave player"));
    player->PlayWav(QString::fromUtf8(file));
    return py.NewNoneRef();
}

PyObject* SetBindGlobal(PythonRuntime& py, PyObject* args) {
    const char* name = nullptr;
    const char* value = nullptr;
    if (!py.ParseArgs(args, "ss:SetBindGlobal", &name, &value))
        return nullptr;
    BindGlobals().Set(QString::fromUtf8(name), QString::fromUtf8(value));
    return py.NewNoneRef();
}

PyObject* GetBindGlobal(PythonRuntime& py, PyObject* args) {
    const char* name = nullptr;
    if (!py.ParseArgs(args, "s:GetBindGlobal", &name))
        return nullptr;
    return Text(py, BindGlobals().Get(QString::fromUtf8(name)).toUtf8());
}

struct Entry {
    const char* name;
    PyCFunction function;
};

// The table, in the order scripts see it; each name is its own doc string.
const Entry kMethods[] = {
    {"GetColor", &Method<&GetColor>},
    {"GetRGB", &Method<&GetRGB>},
    {"MouseLeftClick", &Method<&Click<kLeft>, Effect::Acts>},
    {"MouseRightClick", &Method<&Click<kRight>, Effect::Acts>},
    {"MouseMoveAbs", &Method<&MouseMoveAbs, Effect::Acts>},
    {"MouseMoveRel", &Method<&MouseMoveRel, Effect::Acts>},
    {"MouseX", &Method<&Integer<&GetMouseX>>},
    {"MouseY", &Method<&Integer<&GetMouseY>>},
    {"ScreenX", &Method<&Integer<&GetScreenWidth>>},
    {"ScreenY", &Method<&Integer<&GetScreenHeight>>},
    {"KeyDown", &Method<&Key<&PressKey, kKeyDown>, Effect::Acts>},
    {"KeyUp", &Method<&Key<&ReleaseKey, kKeyUp>>},
    {"KeySend", &Method<&Key<&SendKey, kKeySend>, Effect::Acts>},
    {"Sleep", &Method<&Sleep, Effect::Acts>},
    {"PlayWav", &Method<&PlayWav, Effect::Acts>},
    {"SetBindGlobal", &Method<&SetBindGlobal>},
    {"GetBindGlobal", &Method<&GetBindGlobal>},
    // Beyond the seventeen.
    {"TypeText", &Method<&TypeTextMethod, Effect::Acts>},
};

}  // namespace

void AddAutomationMethods(TPythonModule& module, QCoreApplication* application) {
    Application() = application;
    for (const Entry& entry : kMethods)
        module.AddMethodDef(entry.name, entry.function, entry.name);
}

}  // namespace orvexa
