#include "extension/Pyio.h"

#include "core/Quit.h"
#include "engine/PythonEngine.h"
#include "extension/PythonInputOutput.h"
#include "extension/PythonModule.h"
#include "extension/PythonType.h"

#include <QCoreApplication>
#include <QThread>

namespace orvexa {
namespace {

// Beside write and readline, DebugOutput has what Python 3's libraries
// expect of a text stream: flush (print(..., flush=True), input() and the
// interpreter's shutdown call it), the encoding, isatty (colour and progress
// output ask), writelines, and fileno, which says that no descriptor stands
// behind the stream (faulthandler, subprocess).
const char* const kRedirectScript =
    "import sys\n"
    "import pyio\n"
    "class DebugOutput:\n"
    "  softspace=1\n"
    "  def write(self,message):\n"
    "     pyio.write(message)\n"
    "  def readline(size):\n"
    "     return pyio.read(size)\n"
    "  def flush(self):\n"
    "     pass\n"
    "  encoding='utf-8'\n"
    "  errors='backslashreplace'\n"
    "  closed=False\n"
    "  def isatty(self):\n"
    "     return False\n"
    "  def writelines(self,lines):\n"
    "     for line in lines:\n"
    "        pyio.write(line)\n"
    "  def fileno(self):\n"
    "     import io\n"
    "     raise io.UnsupportedOperation('the Output window has no file descriptor')\n"
    "  def readable(self):\n"
    "     return True\n"
    "  def writable(self):\n"
    "     return True\n"
    "  def seekable(self):\n"
    "     return False\n";

const char* const kAllStreams = "sys.stdin=sys.stderr=sys.stdout=DebugOutput()\n";

// A process's standard output is written a block at a time when it is no
// terminal: line by line instead, so that what a running script printed can
// be read at once (from a pipe, a log).
const char* const kInputOnly =
    "sys.stdin=DebugOutput()\n"
    "for _stream in (sys.stdout, sys.stderr):\n"
    "  try:\n"
    "     _stream.reconfigure(line_buffering=True)\n"
    "  except Exception:\n"
    "     pass\n"
    "del _stream\n";

bool OnMainThread() {
    const QCoreApplication* app = QCoreApplication::instance();
    return !app || QThread::currentThread() == app->thread();
}

// The IO components other than the base class work with windows, and so on
// the GUI thread only: another thread's text is dropped, and its request
// for input gets nothing (the box cannot be shown there, and that thread
// holds the interpreter's lock that the GUI thread needs).
bool OffLimitsToThisThread(const TPythonEngine& engine, const EngineIO* io) {
    // The class compared is exactly the base class, as its name says.
    return !OnMainThread() && engine.RedirectIO && io && io->metaObject() != &TPythonInputOutput::staticMetaObject;
}

// A failure of the host inside a method becomes the script's exception:
// nothing may unwind through the interpreter's own frames.
template <PyObject* (*Body)(TPythonEngine&, PythonRuntime&, PyObject*)>
PyObject* Guarded(PyObject*, PyObject* args) {
    try {
        TPythonEngine& engine = GetRunningEngine();
        return Body(engine, engine.Runtime(), args);
    } catch (const std::exception& e) {
        if (IsEngineAvailable()) {
            PythonRuntime& py = GetRunningEngine().Runtime();
            py.PyErr_SetString(*py.PyExc_RuntimeError, e.what());
        }
        return nullptr;
    }
}

PyObject* Write(TPythonEngine& engine, PythonRuntime& py, PyObject* args) {
    EngineIO* io = engine.IO();
    if (OffLimitsToThisThread(engine, io))
        return py.NewNoneRef();
    if (!args || py.PyTuple_Size(args) == 0) {
        py.PyErr_BadArgument();
        return nullptr;
    }
    PyObject* text = py.PyTuple_GetItem(args, 0);
    if (py.PyString_Check(text) && engine.RedirectIO && io)
        io->Write(py.PyObjectAsText(text));
    return py.NewNoneRef();
}

PyObject* Read(TPythonEngine& engine, PythonRuntime& py, PyObject*) {
    if (!engine.RedirectIO)
        return py.NewNoneRef();
    QString text;
    EngineIO* io = engine.IO();
    if (OffLimitsToThisThread(engine, io))
        return py.PyString_FromString("");  // the end of the input
    if (io) {
        // Other Python threads run while the user answers.
        PythonUnlock unlock(py);
        text = io->Read();
        unlock.Relock();
    }
    if (quit::Requested()) {
        // The box was closed because the program is closing.
        return py.RaiseClosing();
    }
    const qsizetype nul = text.indexOf(QChar(u'\0'));
    if (nul >= 0)
        text.truncate(nul);
    return py.PyString_FromString(text.toUtf8().constData());
}

PyObject* SetDelayWrites(TPythonEngine& engine, PythonRuntime& py, PyObject* args) {
    int flag = 0;
    if (!py.ParseArgs(args, "i:SetDelayWrites", &flag))
        return nullptr;
    if (EngineIO* io = engine.IO())
        io->SetDelayWrites(flag != 0);
    return py.NewNoneRef();
}

PyObject* SetMaxLines(TPythonEngine& engine, PythonRuntime& py, PyObject* args) {
    int count = 0;
    if (!py.ParseArgs(args, "i:SetMaxLines", &count))
        return nullptr;
    if (EngineIO* io = engine.IO())
        io->SetMaxLines(count);
    return py.NewNoneRef();
}

PyObject* GetTypesStats(TPythonEngine& engine, PythonRuntime& py, PyObject* args) {
    PyRef result = py.Steal(py.PyList_New(0));
    if (!result)
        return nullptr;
    // The extension types among the engine's clients, in client order.
    QList<const TPythonType*> types;
    for (EngineClient* client : engine.Clients())
        if (const auto* type = qobject_cast<const TPythonType*>(client))
            types.append(type);
    auto append = [&](const TPythonType::TypeStats& stats) {
        const PyRef item =
            py.Steal(py.BuildValue("(siii)", stats.TypeName, stats.InstanceCount, stats.CreateHits, stats.DeleteHits));
        return item && py.PyList_Append(result.get(), item.get()) == 0;
    };
    const Py_ssize_t count = args ? py.PyTuple_Size(args) : 0;
    if (count == 0) {
        for (const TPythonType* type : types)
            if (!append(type->TypeStatistics()))
                return nullptr;
        return result.release();
    }
    for (Py_ssize_t i = 0; i < count; ++i) {
        const QString name = py.PyObjectAsText(py.PyTuple_GetItem(args, i));
        for (const TPythonType* type : types) {
            if (type->TypeStatistics().TypeName != name)
                continue;
            if (!append(type->TypeStatistics()))
                return nullptr;
            break;
        }
    }
    return result.release();
}

}  // namespace

QByteArray PyioRedirectScript(PyioStreams streams) {
    return QByteArray(kRedirectScript) + (streams == PyioStreams::All ? kAllStreams : kInputOnly);
}

std::unique_ptr<TPythonModule> InstallPyio(TPythonEngine& engine, PyioStreams streams) {
    engine.RequireInitialized();
    auto module = std::make_unique<TPythonModule>();
    module->setObjectName(QStringLiteral("pyio"));
    module->SetEngine(&engine);
    module->SetModuleName(QStringLiteral("pyio"));
    module->AddMethodDef("write", &Guarded<&Write>, "write(String) -> None");
    module->AddMethodDef("read", &Guarded<&Read>, "read() -> String");
    module->AddMethodDef("SetDelayWrites", &Guarded<&SetDelayWrites>, "SetDelayWrites(Boolean) -> None");
    module->AddMethodDef("SetMaxLines", &Guarded<&SetMaxLines>, "SetMaxLines(Integer) -> None");
    module->AddMethodDef("GetTypesStats", &Guarded<&GetTypesStats>,
                         "GetTypesStats( [type name] ) -> a list of tuple (TypeName, InstanceCount, "
                         "CreateHits, DeleteHits)");
    module->Initialize();
    engine.ExecuteText(QString::fromLatin1(PyioRedirectScript(streams)));
    if (streams == PyioStreams::All) {
        // Its flush does nothing: each text goes to the IO component as it
        // is written.
        PythonLock lock(engine.Runtime());
        engine.SetStreamWithoutBuffer(engine.Runtime().PySys_GetObject("stdout"));
    }
    return module;
}

}  // namespace orvexa
