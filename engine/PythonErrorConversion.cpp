// Printing interpreter errors and turning them into exceptions.
#include "core/Quit.h"
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

}  // namespace

void TPythonEngine::RaisePendingError() {
    if (!py_.PyErr_Occurred())
        return;
    const bool printed = PrintPendingError();
    traceback_.Refresh();
    if (printed && OnErrorReported)
        OnErrorReported();
    RaiseError();
}

bool TPythonEngine::IsProgramsOwnExit(PyObject* type, PyObject* value) {
    if (!type || !value || !py_.PyErr_GivenExceptionMatches(type, *py_.PyExc_SystemExit))
        return false;
    const QString text = py_.PyObjectAsText(value);
    py_.PyErr_Clear();
    return text == QLatin1String(quit::kStoppedMessage) || text == QLatin1String(quit::kClosingMessage);
}

bool TPythonEngine::PrintPendingError() {
    const DepthScope reporting(reportingDepth_);
    PyObject* fetchedType = nullptr;
    PyObject* fetchedValue = nullptr;
    PyObject* fetchedTraceback = nullptr;
    py_.PyErr_Fetch(&fetchedType, &fetchedValue, &fetchedTraceback);
    if (!fetchedType)
        return false;
    py_.PyErr_NormalizeException(&fetchedType, &fetchedValue, &fetchedTraceback);
    const PyRef type = py_.Steal(fetchedType);
    const PyRef value = py_.Steal(fetchedValue);
    const PyRef traceback = py_.Steal(fetchedTraceback);
    if (value && traceback)
        py_.PyException_SetTraceback(value.get(), traceback.get());
    PyObject* none = py_._Py_NoneStruct;
    const auto orNone = [none](const PyRef& ref) { return ref ? ref.get() : none; };
    py_.PySys_SetObject("last_type", type.get());
    py_.PySys_SetObject("last_value", orNone(value));
    py_.PySys_SetObject("last_traceback", orNone(traceback));
    py_.PySys_SetObject("last_exc", orNone(value));
    // The end the program gave the code is no error of the script's.
    if (IsProgramsOwnExit(type.get(), value.get())) {
        py_.PyErr_Clear();
        return false;
    }

    PyObject* hook = py_.PySys_GetObject("excepthook");
    bool printed = false;
    if (hook && hook != none) {
        const PyRef args = py_.Steal(py_.PyTuple_New(3));
        if (args) {
            Py_ssize_t i = 0;
            for (const PyRef* item : {&type, &value, &traceback})
                py_.PyTuple_SetItem(args.get(), i++, py_.Borrow(orNone(*item)).release());
            const PyRef result = py_.Steal(py_.PyObject_CallObject(hook, args.get()));
            printed = static_cast<bool>(result);
        }
        if (!printed) {
            // The hook itself failed (even by raising SystemExit): both
            // errors are shown, and the process goes on.
            PyObject* hookType = nullptr;
            PyObject* hookValue = nullptr;
            PyObject* hookTraceback = nullptr;
            py_.PyErr_Fetch(&hookType, &hookValue, &hookTraceback);
            if (hookType)
                py_.PyErr_NormalizeException(&hookType, &hookValue, &hookTraceback);
            const PyRef ownedType = py_.Steal(hookType);
            const PyRef ownedValue = py_.Steal(hookValue);
            const PyRef ownedTraceback = py_.Steal(hookTraceback);
            if (ownedType) {
                py_.PySys_WriteStderr("Error in sys.excepthook:\n");
                py_.PyErr_Display(ownedType.get(), ownedValue.get(), ownedTraceback.get());
                py_.PySys_WriteStderr("\nOriginal exception was:\n");
            }
        }
    } else {
        py_.PySys_WriteStderr("sys.excepthook is missing\n");
    }
    if (!printed)
        py_.PyErr_Display(type.get(), value.get(), traceback.get());
    py_.PyErr_Clear();
    return true;
}

QString TPythonEngine::TypeName(PyObject* type) {
    const bool isClass =
        py_.PyClass_Check(type) || (type->ob_type && py_.PyType_IsSubtype(type->ob_type, py_.PyType_Type));
    if (isClass) {
        const PyRef name = py_.Steal(py_.PyObject_GetAttrString(type, "__name__"));
        if (py_.PyString_Check(name.get()))
            return py_.PyObjectAsText(name.get());
        py_.PyErr_Clear();
    }
    return py_.PyObjectAsText(type);
}

void TPythonEngine::RaiseError() {
    if (py_.PyErr_Occurred())
        PrintPendingError();
    // Own references: turning the value into text runs its code, which may
    // replace the sys entries.
    PyObject* lastType = py_.PySys_GetObject("last_type");
    PyObject* lastValue = py_.PySys_GetObject("last_value");
    if (!lastType)
        throw EPythonError(QStringLiteral("RaiseError: could'nt fetch last exception"));
    const PyRef type = py_.Borrow(lastType);
    const PyRef value = py_.Borrow(lastValue);

    const QString typeName = TypeName(type.get());
    if (py_.PyErr_GivenExceptionMatches(type.get(), *py_.PyExc_SyntaxError))
        RaiseSyntaxError(type.get(), value.get(), typeName);
    const QString valueText = py_.PyObjectAsText(value.get());
    const QString message = valueText.isEmpty() ? typeName : QStringLiteral("%1: %2").arg(typeName, valueText);
    for (const ErrorRow& row : kErrorRows) {
        PyObject** exception = py_.*row.exception;
        if (exception && *exception && py_.PyErr_GivenExceptionMatches(type.get(), *exception))
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
        if (!py_.PyInt_Check(obj))
            return;
        const long number = py_.PyInt_AsLong(obj);
        if (number == -1 && py_.PyErr_Occurred())
            py_.PyErr_Clear();
        else
            target = static_cast<int>(number);
    };
    if (py_.PyTuple_Check(value) && py_.PyTuple_Size(value) >= 2) {
        text = py_.PyObjectAsText(py_.PyTuple_GetItem(value, 0));
        PyObject* where = py_.PyTuple_GetItem(value, 1);
        if (py_.PyTuple_Check(where) && py_.PyTuple_Size(where) >= 4) {
            asInt(py_.PyTuple_GetItem(where, 1), lineNumber);
            asInt(py_.PyTuple_GetItem(where, 2), offset);
            lineText = TrimControl(py_.PyObjectAsText(py_.PyTuple_GetItem(where, 3)));
        }
    } else if (value && py_.PyObject_IsInstance(value, type) > 0) {
        // A 3.x syntax error is an instance whose fields are attributes.
        auto attribute = [this, value](const char* name) {
            PyObject* item = py_.PyObject_GetAttrString(value, name);
            if (!item)
                py_.PyErr_Clear();
            return item;
        };
        const PyRef file = py_.Steal(attribute("filename"));
        if (py_.PyString_Check(file.get()))
            fileName = py_.PyObjectAsText(file.get());
        else if (file.get() == py_._Py_NoneStruct)
            fileName = QStringLiteral("???");
        const PyRef line = py_.Steal(attribute("text"));
        if (py_.PyString_Check(line.get()))
            lineText = TrimControl(py_.PyObjectAsText(line.get()));
        const PyRef column = py_.Steal(attribute("offset"));
        asInt(column.get(), offset);
        const PyRef number = py_.Steal(attribute("lineno"));
        asInt(number.get(), lineNumber);
        const PyRef msg = py_.Steal(attribute("msg"));
        if (py_.PyString_Check(msg.get()))
            text = py_.PyObjectAsText(msg.get());
    }
    py_.PyErr_Clear();
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
