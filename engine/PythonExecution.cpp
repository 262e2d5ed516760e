// Executing code in the shared "__main__" namespace.
#include "engine/PythonEngine.h"

#include "engine/DepthScope.h"

namespace orvexa {

void TPythonEngine::ExecuteLines(const QStringList& lines) {
    QString text;
    for (const QString& line : lines)
        text += line + QStringLiteral("\r\n");
    PythonLock lock(py_);
    const PyRef result = py_.Steal(Run_CommandAsObject(NormalizeCode(text), Py_file_input));
}

void TPythonEngine::ExecuteText(const QString& text) {
    PythonLock lock(py_);
    const PyRef result = py_.Steal(Run_CommandAsObject(text, Py_file_input));
    py_.PyObjectAsText(result.get());
}

bool TPythonEngine::InterruptScriptCode() {
    if (executionDepth_ == 0 || reportingDepth_ > 0 || py_.ClosingRaised())
        return false;
    py_.RaiseClosing();
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
    PythonLock lock(py_);
    const DepthScope executing(executionDepth_);
    traceback_.Clear();
    PyObject* main = py_.PyImport_AddModule(MainModuleName);
    if (!main) {
        py_.PyErr_Clear();
        throw EPythonError(QStringLiteral("Run_CommandAsObject: can't create __main__"));
    }
    PyObject* locals = localVars_ ? localVars_.get() : py_.PyModule_GetDict(main);
    PyObject* globals = globalVars_ ? globalVars_.get() : py_.PyModule_GetDict(main);
    const QByteArray code = NormalizeCode(text).toUtf8();
    PyRef result;
    try {
        result = py_.Steal(py_.PyRun_String(code.constData(), mode, globals, locals));
        if (!result)
            RaisePendingError();
        FlushLine();
    } catch (...) {
        FlushLine();
        if (py_.PyErr_Occurred())
            RaisePendingError();
        throw;
    }
    return result.release();
}

void TPythonEngine::FlushLine() {
    const DepthScope reporting(reportingDepth_);
    PyObject* type = nullptr;
    PyObject* value = nullptr;
    PyObject* traceback = nullptr;
    py_.PyErr_Fetch(&type, &value, &traceback);
    for (const char* name : {"stdout", "stderr"}) {
        PyObject* stream = py_.PySys_GetObject(name);
        if (!stream || stream == py_._Py_NoneStruct || !py_.PyObject_HasAttrString(stream, "flush"))
            continue;
        if (!py_.Steal(py_.PyObject_CallMethod(stream, "flush", nullptr)))
            py_.PyErr_Clear();
    }
    // The pending error's references go back to the interpreter.
    py_.PyErr_Restore(type, value, traceback);
}

}  // namespace orvexa
