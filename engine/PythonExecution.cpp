// Executing code in the shared "__main__" namespace.
#include "engine/PythonEngine.h"

#include "core/Quit.h"
#include "core/Strings.h"
#include "engine/DepthScope.h"
#include "engine/FatalReport.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QFile>
#include <QThread>

namespace orvexa {

void TPythonEngine::ExecuteLines(const QStringList& lines) {
    QString text;
    for (const QString& line : lines)
        text += line + QStringLiteral("\r\n");
    AwaitStoppedThreads();
    PythonLock lock(py_);
    const PyRef result = py_.Steal(Run_CommandAsObject(NormalizeCode(text), Py_file_input));
}

void TPythonEngine::ExecuteLinesAt(const QStringList& lines, const SourcePlace& place) {
    if (!place.Fits(lines.size())) {
        ExecuteLines(lines);
        return;
    }
    // Each line at its line of the file; the file's lines between them held
    // no code (empty lines and comments) and stay empty.
    QString text;
    int at = 1;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        for (; at < place.lineNumbers.at(i); ++at)
            text += u'\n';
        text += lines.at(i);
        text += u'\n';
        ++at;
    }
    AwaitStoppedThreads();
    PythonLock lock(py_);
    RequireInitialized();
    RememberSourceLines(place);
    const PyRef result = py_.Steal(RunCommand(text, Py_file_input, place.fileName, true));
}

void TPythonEngine::ForgetCompiledCode() {
    if (compiledCode_.empty())
        return;
    // The code objects go back to the interpreter, which holds the lock for
    // that; one still running keeps a reference of its own.
    PythonLock lock(py_);
    compiledCode_.clear();
}

PyObject* TPythonEngine::KeptCompiled(const QString& text, const QString& fileName, int mode) {
    QString key = fileName;
    key += QChar(0);
    key += text;
    if (const auto kept = compiledCode_.find(key); kept != compiledCode_.end())
        return kept->second.get();
    const QByteArray code = NormalizeCode(text).toUtf8();
    PyRef compiled = py_.Steal(py_.Py_CompileString(code.constData(), QFile::encodeName(fileName).constData(), mode));
    if (!compiled)
        return nullptr;
    return compiledCode_.emplace(std::move(key), std::move(compiled)).first->second.get();
}

void TPythonEngine::RememberSourceLines(const SourcePlace& place) {
    if (!place.fileLines || place.fileLines == rememberedLines_)
        return;
    // linecache.cache[name] = (size, None, lines, name): an entry without a
    // modification time is never read again from the file.
    const PyRef linecache = py_.Steal(py_.PyImport_ImportModule("linecache"));
    const PyRef cache = linecache ? py_.Steal(py_.PyObject_GetAttrString(linecache.get(), "cache")) : PyRef();
    const PyRef name = py_.Steal(py_.PyString_FromString(place.fileName.toUtf8().constData()));
    PyRef list = py_.Steal(py_.PyList_New(0));
    long size = 0;
    bool built = cache && name && list;
    for (qsizetype i = 0; built && i < place.fileLines->size(); ++i) {
        const QByteArray line = (place.fileLines->at(i) + u'\n').toUtf8();
        size += static_cast<long>(line.size());
        const PyRef item = py_.Steal(py_.PyString_FromString(line.constData()));
        built = item && py_.PyList_Append(list.get(), item.get()) == 0;
    }
    const PyRef entry =
        built ? py_.Steal(py_.BuildValue("(lOOO)", size, py_._Py_NoneStruct, list.get(), name.get())) : PyRef();
    if (entry && py_.PyObject_SetItem(cache.get(), name.get(), entry.get()) == 0)
        rememberedLines_ = place.fileLines;
    py_.PyErr_Clear();
}

void TPythonEngine::ExecuteText(const QString& text) {
    AwaitStoppedThreads();
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

namespace {
// How long one round of event processing from inside running code may take
// at most (a modal window opened meanwhile takes as long as it is open).
constexpr int kPumpBudgetMs = 10;
}  // namespace

bool TPythonEngine::PumpEvents() {
    // Not between executions, never inside itself, and only on the
    // application's thread.
    const QCoreApplication* app = QCoreApplication::instance();
    if (executionDepth_ == 0 || pumpDepth_ > 0 || !app || QThread::currentThread() != app->thread())
        return true;
    {
        // The interpreter's lock stays held: giving it up would cost the
        // code a wait for it at every round when script threads keep it
        // busy, and what runs here needs it briefly or not at all.
        const DepthScope pumping(pumpDepth_);
        try {
            QCoreApplication::processEvents(QEventLoop::AllEvents, kPumpBudgetMs);
        } catch (const std::exception& e) {
            // Nothing may unwind through the interpreter's frames (the
            // program's own event handling shows what it catches itself).
            WriteToStandardError(QString::fromUtf8(e.what()));
        } catch (...) {
            WriteToStandardError(strings::UnknownError());
        }
    }
    // The engine's own printing and flushing (the code has ended, or its
    // error is being shown) is never interrupted.
    if (reportingDepth_ > 0)
        return true;
    if (quit::Requested()) {
        if (py_.ClosingRaised())
            return true;
        py_.RaiseClosing();
        return false;
    }
    if (!stopping_ || py_.StopRaised())
        return true;
    py_.RaiseStopped();
    return false;
}

void TPythonEngine::StopCode() {
    if (executionDepth_ > 0)
        stopping_ = true;
    // Waits under way end now; code that computes without waiting is told
    // by the next round of PumpEvents.
    quit::RequestStop();
    if (py_.IsBound() && py_.IsInitialized())
        watch_.StopOtherThreads();
}

void TPythonEngine::AwaitStoppedThreads() {
    if (executionDepth_ == 0 && py_.IsBound() && py_.IsInitialized() && !py_.PyGILState_Check())
        watch_.AwaitThreadsStopped();
}

class TPythonEngine::ExecutionScope {
public:
    explicit ExecutionScope(TPythonEngine& engine) : engine_(engine), outermost_(engine.executionDepth_ == 0) {
        ++engine_.executionDepth_;
        if (outermost_)
            engine_.watch_.SetExecuting(true);
    }
    ~ExecutionScope() {
        --engine_.executionDepth_;
        if (!outermost_)
            return;
        engine_.watch_.SetExecuting(false);
        engine_.stopping_ = false;
    }
    ExecutionScope(const ExecutionScope&) = delete;
    ExecutionScope& operator=(const ExecutionScope&) = delete;

private:
    TPythonEngine& engine_;
    const bool outermost_;
};

QString TPythonEngine::NormalizeCode(const QString& text) {
    if (text.isEmpty())
        return text;
    QString code = text;
    code.remove(u'\r');
    if (!code.isEmpty() && code.back() != u'\n')
        code.append(u'\n');
    return code;
}

PyObject* TPythonEngine::Run_CommandAsObject(const QString& text, int mode, const QString& fileName) {
    return RunCommand(text, mode, fileName, false);
}

PyObject* TPythonEngine::RunCommand(const QString& text, int mode, const QString& fileName, bool keepCompiled) {
    RequireInitialized();
    // Nothing starts from inside the events processed for running code.
    if (pumpDepth_ > 0)
        throw EPythonError(strings::CodeIsRunning());
    AwaitStoppedThreads();
    PythonLock lock(py_);
    const ExecutionScope executing(*this);
    traceback_.Clear();
    PyObject* main = py_.PyImport_AddModule(MainModuleName);
    if (!main) {
        py_.PyErr_Clear();
        throw EPythonError(QStringLiteral("Run_CommandAsObject: can't create __main__"));
    }
    PyObject* locals = localVars_ ? localVars_.get() : py_.PyModule_GetDict(main);
    PyObject* globals = globalVars_ ? globalVars_.get() : py_.PyModule_GetDict(main);
    PyRef result;
    try {
        if (fileName.isEmpty()) {
            const QByteArray code = NormalizeCode(text).toUtf8();
            result = py_.Steal(py_.PyRun_String(code.constData(), mode, globals, locals));
        } else if (keepCompiled) {
            // The kept code may be dropped while it runs (a new run started
            // from inside it): it holds a reference of its own meanwhile.
            const PyRef compiled = py_.Borrow(KeptCompiled(text, fileName, mode));
            if (compiled)
                result = py_.Steal(py_.PyEval_EvalCode(compiled.get(), globals, locals));
        } else if (const PyRef compiled = py_.Steal(py_.Py_CompileString(
                       NormalizeCode(text).toUtf8().constData(), QFile::encodeName(fileName).constData(), mode))) {
            result = py_.Steal(py_.PyEval_EvalCode(compiled.get(), globals, locals));
        }
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

void TPythonEngine::SetStreamWithoutBuffer(PyObject* stream) { streamWithoutBuffer_ = py_.Borrow(stream); }

void TPythonEngine::FlushLine() {
    const DepthScope reporting(reportingDepth_);
    PyObject* type = nullptr;
    PyObject* value = nullptr;
    PyObject* traceback = nullptr;
    py_.PyErr_Fetch(&type, &value, &traceback);
    for (const char* name : {"stdout", "stderr"}) {
        PyObject* stream = py_.PySys_GetObject(name);
        if (!stream || stream == py_._Py_NoneStruct || stream == streamWithoutBuffer_.get() ||
            !py_.PyObject_HasAttrString(stream, "flush"))
            continue;
        if (!py_.Steal(py_.PyObject_CallMethod(stream, "flush", nullptr)))
            py_.PyErr_Clear();
    }
    // The pending error's references go back to the interpreter.
    py_.PyErr_Restore(type, value, traceback);
}

}  // namespace orvexa
