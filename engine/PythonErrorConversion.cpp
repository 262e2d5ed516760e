// Printing interpreter errors and turning them into exceptions.
#include "core/ScriptText.h"
#include "engine/DepthScope.h"
#include "engine/PythonEngine.h"

namespace orvexa {
namespace {

template <typename E>
[[noreturn]] void Raise(const QString& message, const QString& name, const QString& value) {
    E error(message);
    error.ExceptionName = name;
    error.ExceptionValue = value;
    throw error;
}

using Raiser = void (*)(const QString&, const QString&, const QString&);

// The interpreter's exception classes in the order they are tested; the
// first that matches decides the raised class. StandardError has no 3.x
// counterpart, so its row never matches.
struct ErrorRow {
    PyObject** PythonApi::*exception;
    Raiser raise;
};

constexpr ErrorRow kErrorRows[] = {
    {&PythonApi::PyExc_AttributeError, &Raise<EPyAttributeError>},
    {&PythonApi::PyExc_EOFError, &Raise<EPyEOFError>},
    {&PythonApi::PyExc_IOError, &Raise<EPyIOError>},
    {&PythonApi::PyExc_ImportError, &Raise<EPyImportError>},
    {&PythonApi::PyExc_IndexError, &Raise<EPyIndexError>},
    {&PythonApi::PyExc_KeyError, &Raise<EPyKeyError>},
    {&PythonApi::PyExc_KeyboardInterrupt, &Raise<EPyKeyboardInterrupt>},
    {&PythonApi::PyExc_MemoryError, &Raise<EPyMemoryError>},
    {&PythonApi::PyExc_NameError, &Raise<EPyNameError>},
    {&PythonApi::PyExc_OverflowError, &Raise<EPyOverflowError>},
    {&PythonApi::PyExc_RuntimeError, &Raise<EPyRuntimeError>},
    {&PythonApi::PyExc_SystemError, &Raise<EPySystemError>},
    {&PythonApi::PyExc_SystemExit, &Raise<EPySystemExit>},
    {&PythonApi::PyExc_TypeError, &Raise<EPyTypeError>},
    {&PythonApi::PyExc_ValueError, &Raise<EPyValueError>},
    {&PythonApi::PyExc_ZeroDivisionError, &Raise<EPyZeroDivisionError>},
    {&PythonApi::PyExc_Exception, &Raise<EPyException>},
    {&PythonApi::PyExc_FloatingPointError, &Raise<EPyFloatingPointError>},
    {&PythonApi::PyExc_LookupError, &Raise<EPyLookupError>},
    {&PythonApi::PyExc_StandardError, &Raise<EPyStandardError>},
};

// Holds one reference for the time of a scope.
class Reference {
public:
    Reference(const TPythonInterface& api, PyObject* obj) : api_(api), obj_(obj) {}
    ~Reference() { api_.Py_XDECREF(obj_); }
    Reference(const Reference&) = delete;
    Reference& operator=(const Reference&) = delete;
    PyObject* get() const { return obj_; }

private:
    const TPythonInterface& api_;
    PyObject* obj_;
};

}  // namespace

void TPythonEngine::RaisePendingError() {
    if (!PyErr_Occurred())
        return;
    PrintPendingError();
    traceback_.Refresh();
    RaiseError();
}

void TPythonEngine::PrintPendingError() {
    const DepthScope reporting(reportingDepth_);
    PyObject* type = nullptr;
    PyObject* value = nullptr;
    PyObject* traceback = nullptr;
    PyErr_Fetch(&type, &value, &traceback);
    if (!type)
        return;
    PyErr_NormalizeException(&type, &value, &traceback);
    if (value && traceback)
        PyException_SetTraceback(value, traceback);
    PyObject* none = _Py_NoneStruct;
    PySys_SetObject("last_type", type);
    PySys_SetObject("last_value", value ? value : none);
    PySys_SetObject("last_traceback", traceback ? traceback : none);
    PySys_SetObject("last_exc", value ? value : none);

    PyObject* hook = PySys_GetObject("excepthook");
    bool printed = false;
    if (hook && hook != none) {
        Reference args(*this, PyTuple_New(3));
        if (args.get()) {
            for (Py_ssize_t i = 0; PyObject* item : {type, value, traceback}) {
                item = item ? item : none;
                Py_INCREF(item);
                PyTuple_SetItem(args.get(), i++, item);
            }
            Reference result(*this, PyObject_CallObject(hook, args.get()));
            printed = result.get() != nullptr;
        }
        if (!printed) {
            // The hook itself failed (even by raising SystemExit): both
            // errors are shown, and the process goes on.
            PyObject* hookType = nullptr;
            PyObject* hookValue = nullptr;
            PyObject* hookTraceback = nullptr;
            PyErr_Fetch(&hookType, &hookValue, &hookTraceback);
            if (hookType) {
                PyErr_NormalizeException(&hookType, &hookValue, &hookTraceback);
                PySys_WriteStderr("Error in sys.excepthook:\n");
                PyErr_Display(hookType, hookValue, hookTraceback);
                PySys_WriteStderr("\nOriginal exception was:\n");
            }
            Py_XDECREF(hookType);
            Py_XDECREF(hookValue);
            Py_XDECREF(hookTraceback);
        }
    } else {
        PySys_WriteStderr("sys.excepthook is missing\n");
    }
    if (!printed)
        PyErr_Display(type, value, traceback);
    PyErr_Clear();
    Py_XDECREF(type);
    Py_XDECREF(value);
    Py_XDECREF(traceback);
}

QString TPythonEngine::TypeName(PyObject* type) {
    const bool isClass =
        PyClass_Check(type) || (type->ob_type && PyType_IsSubtype(type->ob_type, PyType_Type));
    if (isClass) {
        Reference name(*this, PyObject_GetAttrString(type, "__name__"));
        if (PyString_Check(name.get()))
            return PyObjectAsText(name.get());
        PyErr_Clear();
    }
    return PyObjectAsText(type);
}

void TPythonEngine::RaiseError() {
    if (PyErr_Occurred())
        PrintPendingError();
    // Own references: turning the value into text runs its code, which may
    // replace the sys entries.
    PyObject* lastType = PySys_GetObject("last_type");
    PyObject* lastValue = PySys_GetObject("last_value");
    if (!lastType)
        throw EPythonError(QStringLiteral("RaiseError: could'nt fetch last exception"));
    Py_INCREF(lastType);
    Py_XINCREF(lastValue);
    Reference type(*this, lastType);
    Reference value(*this, lastValue);

    const QString typeName = TypeName(type.get());
    if (PyErr_GivenExceptionMatches(type.get(), *PyExc_SyntaxError))
        RaiseSyntaxError(type.get(), value.get(), typeName);
    const QString valueText = PyObjectAsText(value.get());
    const QString message =
        valueText.isEmpty() ? typeName : QStringLiteral("%1: %2").arg(typeName, valueText);
    for (const ErrorRow& row : kErrorRows) {
        PyObject** exception = this->*row.exception;
        if (exception && *exception && PyErr_GivenExceptionMatches(type.get(), *exception))
            row.raise(message, typeName, valueText);
    }
    Raise<EPyExecError>(message, typeName, valueText);
}

void TPythonEngine::RaiseSyntaxError(PyObject* type, PyObject* value, const QString& typeName) {
    QString text;
    QString fileName;
    QString lineText;
    int lineNumber = 0;
    int offset = 0;
    auto asInt = [this](PyObject* obj, int& target) {
        if (!PyInt_Check(obj))
            return;
        const long number = PyInt_AsLong(obj);
        if (number == -1 && PyErr_Occurred())
            PyErr_Clear();
        else
            target = static_cast<int>(number);
    };
    if (PyTuple_Check(value) && PyTuple_Size(value) >= 2) {
        text = PyObjectAsText(PyTuple_GetItem(value, 0));
        PyObject* where = PyTuple_GetItem(value, 1);
        if (PyTuple_Check(where) && PyTuple_Size(where) >= 4) {
            asInt(PyTuple_GetItem(where, 1), lineNumber);
            asInt(PyTuple_GetItem(where, 2), offset);
            lineText = TrimControl(PyObjectAsText(PyTuple_GetItem(where, 3)));
        }
    } else if (value && PyObject_IsInstance(value, type) > 0) {
        // A 3.x syntax error is an instance whose fields are attributes.
        auto attribute = [this, value](const char* name) {
            PyObject* item = PyObject_GetAttrString(value, name);
            if (!item)
                PyErr_Clear();
            return item;
        };
        Reference file(*this, attribute("filename"));
        if (PyString_Check(file.get()))
            fileName = PyObjectAsText(file.get());
        else if (file.get() == _Py_NoneStruct)
            fileName = QStringLiteral("???");
        Reference line(*this, attribute("text"));
        if (PyString_Check(line.get()))
            lineText = TrimControl(PyObjectAsText(line.get()));
        Reference column(*this, attribute("offset"));
        asInt(column.get(), offset);
        Reference number(*this, attribute("lineno"));
        asInt(number.get(), lineNumber);
        Reference msg(*this, attribute("msg"));
        if (PyString_Check(msg.get()))
            text = PyObjectAsText(msg.get());
    }
    PyErr_Clear();
    if (text.isEmpty())
        throw EPySyntaxError(typeName);
    EPySyntaxError error(QStringLiteral("%1: %2 (line %3, offset %4): '%5'")
                             .arg(typeName, text)
                             .arg(lineNumber)
                             .arg(offset)
                             .arg(lineText));
    error.ExceptionName = typeName;
    error.ExceptionValue = text;
    error.FileName = fileName;
    error.LineNumber = lineNumber;
    error.Offset = offset;
    error.LineText = lineText;
    throw error;
}

}  // namespace orvexa
