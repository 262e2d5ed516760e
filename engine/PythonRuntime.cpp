#include "engine/PythonRuntime.h"

#include "core/Quit.h"
#include "engine/PythonLock.h"

namespace orvexa {

PythonRuntime::PythonRuntime(QObject* owner) : TPythonInterface(owner) {}

PythonRuntime::~PythonRuntime() = default;

QString PythonRuntime::FirstChoice() const { return QString::fromLocal8Bit(qgetenv("ORVEXA_LIBPYTHON")); }

void PythonRuntime::BeforeLoad() {
    if (BeforeLoading)
        BeforeLoading();
    TPythonInterface::BeforeLoad();
}

void PythonRuntime::AfterLoad() {
    TPythonInterface::AfterLoad();
    if (AfterBinding)
        AfterBinding();
}

PyObject* PythonRuntime::NewNoneRef() const {
    RequireInitialized();
    PythonLock lock(*this);
    return Borrow(_Py_NoneStruct).release();
}

PyObject* PythonRuntime::LookupModule(const char* name) {
    RequireInitialized();
    PythonLock lock(*this);
    PyObject* module = PyDict_GetItemString(PyImport_GetModuleDict(), name);
    return PyModule_Check(module) ? module : nullptr;
}

QString PythonRuntime::PyObjectAsText(PyObject* obj) {
    RequireInitialized();
    PythonLock lock(*this);
    QString result;
    if (!obj)
        return result;
    const PyRef text = Steal(PyObject_Str(obj));
    if (!PyString_Check(text.get()))
        return result;
    Py_ssize_t size = 0;
    if (const char* data = PyUnicode_AsUTF8AndSize(text.get(), &size))
        return QString::fromUtf8(data, size);
    // Lone surrogates have no UTF-8 form: they are kept as escapes rather
    // than losing the whole text.
    PyErr_Clear();
    if (const PyRef bytes = Steal(PyUnicode_AsEncodedString(text.get(), "utf-8", "backslashreplace"))) {
        char* data8 = nullptr;
        if (PyBytes_AsStringAndSize(bytes.get(), &data8, &size) == 0)
            result = QString::fromUtf8(data8, size);
    }
    PyErr_Clear();
    return result;
}

void PythonRuntime::StopInterpreter() {
    struct FinalizingScope {
        bool& flag;
        explicit FinalizingScope(bool& f) : flag(f) { flag = true; }
        ~FinalizingScope() { flag = false; }
    } finalizing(finalizing_);
    Py_Finalize();
    Initialized = false;
    ReleaseModuleDefinitions();
}

PyObject* PythonRuntime::RaiseClosing() {
    if (std::this_thread::get_id() == mainThread_)
        closingRaised_ = true;
    PyErr_SetString(*PyExc_SystemExit, quit::kClosingMessage);
    return nullptr;
}

PyObject* PythonRuntime::RaiseStopped() {
    if (std::this_thread::get_id() == mainThread_)
        stopRaised_ = quit::Stops();
    PyErr_SetString(*PyExc_SystemExit, quit::kStoppedMessage);
    return nullptr;
}

bool PythonRuntime::StopRaised() const { return stopRaised_ == quit::Stops(); }

PyObject* PythonRuntime::CutShort() {
    if (std::this_thread::get_id() != mainThread_)
        return NewNoneRef();
    return quit::Requested() ? RaiseClosing() : RaiseStopped();
}

}  // namespace orvexa
