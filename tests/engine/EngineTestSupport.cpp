#include "tests/engine/EngineTestSupport.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileInfo>
#include <QTimer>

#include <cstdlib>

namespace orvexa::test {

QString TestLibrary() {
    const char* path = std::getenv("ORVEXA_LIBPYTHON");
    return path && *path ? QString::fromLocal8Bit(path) : QStringLiteral("libpython3.11.so.1.0");
}

std::unique_ptr<TPythonEngine> MakeEngine() {
    auto engine = std::make_unique<TPythonEngine>();
    engine->Runtime().FatalAbort = false;
    engine->Runtime().DllName = TestLibrary();
    engine->SetInitThreads(false);
    if (TestLibrary().contains(u'/')) {
        engine->SetUseLastKnownVersion(false);
        engine->Runtime().APIVersion = 1013;
    } else {
        engine->Runtime().APIVersion = 1007;
        engine->Runtime().RegVersion = QStringLiteral("1.5");
        engine->SetUseLastKnownVersion(true);
    }
    return engine;
}

std::unique_ptr<TPythonEngine> StartEngine() {
    auto engine = MakeEngine();
    engine->LayoutLoaded();
    return engine;
}

QString Eval(TPythonEngine& engine, const QString& expression) {
    PythonLock lock(engine.Runtime());
    const PyRef result = engine.Runtime().Steal(engine.Run_CommandAsObject(expression, Py_eval_input));
    return engine.Runtime().PyObjectAsText(result.get());
}

void CaptureStderr(TPythonEngine& engine) {
    engine.ExecuteLines({
        "import sys",
        "class _Capture:",
        "    def __init__(self): self.parts = []",
        "    def write(self, text): self.parts.append(text); return len(text)",
        "    def flush(self): pass",
        "_captured = _Capture()",
        "sys.stderr = _captured",
    });
}

QString CapturedStderr(TPythonEngine& engine) { return Eval(engine, "''.join(_captured.parts)"); }

QString& WrittenText() {
    static QString text;
    return text;
}

namespace {

// C++ exceptions must not cross the interpreter's frames: a failure here
// becomes a SystemError (null without an error set) in the script.
template <PyObject* (*Body)(PyObject*)>
PyObject* Guarded(PyObject*, PyObject* args) {
    try {
        return Body(args);
    } catch (...) {
        return nullptr;
    }
}

PyObject* Nested(PyObject* args) {
    TPythonEngine& engine = GetRunningEngine();
    const char* code = nullptr;
    if (!engine.Runtime().ParseArgs(args, "s", &code))
        return nullptr;
    try {
        engine.ExecuteLines({QString::fromUtf8(code)});
    } catch (const Exception& e) {
        return engine.Runtime().BuildValue("s", e.Message());
    }
    return engine.Runtime().NewNoneRef();
}

PyObject* WaitUnlocked(PyObject* args) {
    TPythonEngine& engine = GetRunningEngine();
    const char* path = nullptr;
    if (!engine.Runtime().ParseArgs(args, "s", &path))
        return nullptr;
    {
        PythonUnlock unlock(engine.Runtime());
        const QString file = QString::fromUtf8(path);
        QElapsedTimer clock;
        clock.start();
        QEventLoop loop;
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
            if (QFileInfo::exists(file) || clock.elapsed() > 10000)
                loop.quit();
        });
        poll.start(2);
        loop.exec();
    }
    return engine.Runtime().NewNoneRef();
}

PyObject* Write(PyObject* args) {
    TPythonEngine& engine = GetRunningEngine();
    const char* text = nullptr;
    if (!engine.Runtime().ParseArgs(args, "s", &text))
        return nullptr;
    WrittenText() += QString::fromUtf8(text);
    return engine.Runtime().NewNoneRef();
}

PyObject* FinalizeEngine(PyObject*) {
    TPythonEngine& engine = GetRunningEngine();
    engine.Finalize();
    return engine.Runtime().NewNoneRef();
}

PyObject* State(PyObject*) {
    const QString state = QStringLiteral("available=%1 finalizing=%2")
                              .arg(IsEngineAvailable())
                              .arg(IsEngineAvailable() && GetRunningEngine().Finalizing());
    WrittenText() += state;
    return GetRunningEngine().Runtime().NewNoneRef();
}

PyMethodDef methods[] = {
    {"nested", &Guarded<&Nested>, METH_VARARGS, "nested(code) -> None or the error message"},
    {"wait_unlocked", &Guarded<&WaitUnlocked>, METH_VARARGS, "wait_unlocked(path) -> None"},
    {"write", &Guarded<&Write>, METH_VARARGS, "write(text) -> None"},
    {"finalize", &Guarded<&FinalizeEngine>, METH_VARARGS, "finalize() -> None"},
    {"state", &Guarded<&State>, METH_VARARGS, "state() -> None"},
    {nullptr, nullptr, 0, nullptr},
};

}  // namespace

void AddTestModule(TPythonEngine& engine) { engine.Runtime().InitModule("enginetest", methods); }

}  // namespace orvexa::test
