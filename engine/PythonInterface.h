#pragma once

#include "engine/DynamicDll.h"
#include "engine/PythonApi.h"

#include <QByteArray>
#include <QString>

#include <memory>
#include <string>
#include <tuple>
#include <type_traits>
#include <vector>

namespace orvexa {

namespace detail {
// Build arguments: texts travel as UTF-8 bytes that live through the call.
inline QByteArray HoldBuildArg(const QString& text) { return text.toUtf8(); }
inline QByteArray HoldBuildArg(const std::string& text) { return QByteArray::fromStdString(text); }
template <typename T>
T HoldBuildArg(T value) {
    return value;
}

inline const char* PassBuildArg(const QByteArray& bytes) { return bytes.constData(); }
// Integers no wider than int travel as int through the variadic call.
template <typename T>
auto PassBuildInteger(T value) {
    if constexpr (sizeof(T) <= sizeof(int))
        return static_cast<int>(value);
    else
        return value;  // 64-bit integers as they are
}
template <typename T>
auto PassBuildArg(T value) {
    if constexpr (std::is_floating_point_v<T>)
        return static_cast<double>(value);
    else if constexpr (std::is_integral_v<T>)
        return PassBuildInteger(value);
    else
        return value;  // pointers as they are
}
}  // namespace detail

// The interpreter's C API, bound at run time from a libpython3 (3.8 or
// newer): one entry point per row of engine/PythonApiTable.h, plus the
// small operations the engine's users need. Every slot is called with the
// interpreter lock held (see engine/PythonLock.h).
class TPythonInterface : public TDynamicDll, public PythonApi {
    Q_OBJECT
public:
    explicit TPythonInterface(QObject* owner = nullptr);
    ~TPythonInterface() override;

    // Set when the interpreter has been started by this component.
    bool Initialized = false;

    // Binds every row of the table in order; the first missing required
    // symbol raises EDLLImportError and leaves the later slots unbound.
    void BindApi();
    // True when BindApi completed.
    bool IsBound() const { return bound_; }

    bool IsInitialized() const;
    // True only while the interpreter shuts down. The code it runs then
    // (finalisers, exit handlers, threads that have not ended yet) may still
    // call the engine, although IsInitialized() already says false.
    bool Finalizing() const { return finalizing_; }
    // Raises "Python is not properly initialized" unless the interpreter is
    // initialised or finalising.
    void RequireInitialized() const;

    // Reference counting through the library's own functions.
    void Py_INCREF(PyObject* obj) const { Py_IncRef(obj); }
    void Py_DECREF(PyObject* obj) const { Py_DecRef(obj); }
    void Py_XINCREF(PyObject* obj) const {
        if (obj)
            Py_IncRef(obj);
    }
    void Py_XDECREF(PyObject* obj) const {
        if (obj)
            Py_DecRef(obj);
    }

    // Exact type tests: objects of derived types do not count.
    static bool IsExactType(const PyObject* obj, const PyTypeObject* type) {
        return obj && type && obj->ob_type == type;
    }
    bool PyString_Check(const PyObject* obj) const { return IsExactType(obj, PyString_Type); }
    bool PyFloat_Check(const PyObject* obj) const { return IsExactType(obj, PyFloat_Type); }
    bool PyInt_Check(const PyObject* obj) const { return IsExactType(obj, PyInt_Type); }
    bool PyTuple_Check(const PyObject* obj) const { return IsExactType(obj, PyTuple_Type); }
    bool PyInstance_Check(const PyObject* obj) const { return IsExactType(obj, PyInstance_Type); }
    bool PyClass_Check(const PyObject* obj) const { return IsExactType(obj, PyClass_Type); }
    bool PyDict_Check(const PyObject* obj) const { return IsExactType(obj, PyDict_Type); }
    bool PyModule_Check(const PyObject* obj) const { return IsExactType(obj, PyModule_Type); }
    bool PyList_Check(const PyObject* obj) const { return IsExactType(obj, PyList_Type); }

    // Py_BuildValue with the given values as its variadic arguments: texts
    // (QString, std::string, const char*) as UTF-8 strings, floating values
    // as doubles, integers of 32 bits or less as int, wider integers and
    // pointers as they are. Returns a new reference or null.
    template <typename... Args>
    PyObject* BuildValue(const char* format, const Args&... values) const {
        auto held = std::make_tuple(detail::HoldBuildArg(values)...);
        return std::apply([&](const auto&... h) { return Py_BuildValue(format, detail::PassBuildArg(h)...); }, held);
    }

    // PyArg_ParseTuple with the target addresses as its variadic arguments.
    template <typename... Targets>
    int ParseArgs(PyObject* args, const char* format, Targets*... targets) const {
        return PyArg_ParseTuple(args, format, targets...);
    }

    // Creates a module from a zero-terminated method table and makes it
    // importable by name (it is entered into sys.modules). Returns the
    // module (borrowed: sys.modules owns it). The table must outlive the
    // interpreter's use of it; the module definition is kept here.
    PyObject* InitModule(const char* name, PyMethodDef* methods);

protected:
    void AfterLoad() override;
    QString QuitMessage() const override;
    // After the interpreter has stopped, its module definitions can go.
    void ReleaseModuleDefinitions();

    bool finalizing_ = false;

private:
    struct ModuleDefinition;

    bool bound_ = false;
    std::vector<std::unique_ptr<ModuleDefinition>> moduleDefinitions_;
};

}  // namespace orvexa
