// Executing code in the shared "__main__" namespace.
#include "engine/PythonEngine.h"

#include "core/Quit.h"
#include "engine/DepthScope.h"

namespace orvexa {

void TPythonEngine::ExecuteLines(const QStringList& lines) {
    QString text;
    for (const QString& line : lines)
        text += line + QStringLiteral("\r\n");
    PythonLock lock(*this);
    PyObject* result = Run_CommandAsObject(NormalizeCode(text), Py_file_input);
    Py_XDECREF(result);
}

void TPythonEngine::ExecuteText(const QString& text) {
    PythonLock lock(*this);
    PyObject* result = Run_CommandAsObject(text, Py_file_input);
    PyObjectAsText(result);
    Py_XDECREF(result);
}

PyObject* TPythonEngine::RaiseClosing() {
    if (std::this_thread::get_id() == mainThread_)
        closingRaised_ = true;
    PyErr_SetString(*PyExc_SystemExit, quit::kClosingMessage);
    return nullptr;
}

bool TPythonEngine::InterruptScriptCode() {
    if (executionDepth_ == 0 || reportingDepth_ > 0 || closingRaised_)
        return false;
    RaiseClosing();
    return true;
}

QString TPythonEngine::NormalizeCode(const QString& text) {
    if (text.isEmpty())
        return text;
    QString code = text;
    code.remove(u'\r');
    if (!code.isEmpty() && code.back() != u'\n')
        code.append(u'\n');
    return code;
}

PyObject* TPythonEngine::Run_CommandAsObject(const QString& text, int mode) {
    RequireInitialized();
    PythonLock lock(*this);
    const DepthScope executing(executionDepth_);
    traceback_.Clear();
    PyObject* main = PyImport_AddModule(MainModuleName);
    if (!main) {
        PyErr_Clear();
        throw EPythonError(QStringLiteral("Run_CommandAsObject: can't create __main__"));
    }
    PyObject* locals = localVars_ ? localVars_ : PyModule_GetDict(main);
    PyObject* globals = globalVars_ ? globalVars_ : PyModule_GetDict(main);
    const QByteArray code = NormalizeCode(text).toUtf8();
    PyObject* result = nullptr;
    try {
        result = PyRun_String(code.constData(), mode, globals, locals);
        if (!result)
            RaisePendingError();
        FlushLine();
    } catch (...) {
        FlushLine();
        if (PyErr_Occurred())
            RaisePendingError();
        throw;
    }
    return result;
}

void TPythonEngine::FlushLine() {
    const DepthScope reporting(reportingDepth_);
    PyObject* type = nullptr;
    PyObject* value = nullptr;
    PyObject* traceback = nullptr;
    PyErr_Fetch(&type, &value, &traceback);
    for (const char* name : {"stdout", "stderr"}) {
        PyObject* stream = PySys_GetObject(name);
        if (!stream || stream == _Py_NoneStruct || !PyObject_HasAttrString(stream, "flush"))
            continue;
        PyObject* done = PyObject_CallMethod(stream, "flush", nullptr);
        if (done)
            Py_DECREF(done);
        else
            PyErr_Clear();
    }
    PyErr_Restore(type, value, traceback);
}

QString TPythonEngine::PyObjectAsText(PyObject* obj) {
    RequireInitialized();
    PythonLock lock(*this);
    QString result;
    if (!obj)
        return result;
    PyObject* text = PyObject_Str(obj);
    if (PyString_Check(text)) {
        Py_ssize_t size = 0;
        if (const char* data = PyUnicode_AsUTF8AndSize(text, &size)) {
            result = QString::fromUtf8(data, size);
        } else {
            // Lone surrogates have no UTF-8 form: they are kept as escapes
            // rather than losing the whole text.
            PyErr_Clear();
            if (PyObject* bytes = PyUnicode_AsEncodedString(text, "utf-8", "backslashreplace")) {
                char* data8 = nullptr;
                if (PyBytes_AsStringAndSize(bytes, &data8, &size) == 0)
                    result = QString::fromUtf8(data8, size);
                Py_DECREF(bytes);
            }
            PyErr_Clear();
        }
    }
    Py_XDECREF(text);
    return result;
}

}  // namespace orvexa
