// Starting and stopping the interpreter.
#include "engine/PythonEngine.h"

#include "engine/FatalReport.h"
#include "engine/RunningEngine.h"
#include "platform/KeyStore.h"

#include <QByteArrayList>
#include <QFile>
#include <QFileInfo>

#include <cstdlib>
#include <string>
#include <vector>

namespace orvexa {
namespace {

QByteArray ProgramPath() {
    const QString target = QFileInfo(QStringLiteral("/proc/self/exe")).symLinkTarget();
    return QFile::encodeName(target);
}

// The command line as the process was given it, argument 0 first.
QByteArrayList CommandLine() {
    QFile file(QStringLiteral("/proc/self/cmdline"));
    QByteArrayList args;
    if (file.open(QIODevice::ReadOnly))
        args = file.readAll().split('\0');
    if (!args.isEmpty() && args.constLast().isEmpty())
        args.removeLast();
    return args;
}

// Run before the interpreter stops: the interpreter's output goes back to
// the process's own streams (the IO component may be gone by the time the
// interpreter prints its last words), and threads the script left running
// get a short time to end. Non-daemon threads still running then would make
// the interpreter wait for them forever; they are abandoned as daemon
// threads are. An abandoned thread's frames keep the objects it sees alive
// past the shutdown, so files still open are flushed here, or what was
// written to them would be lost.
constexpr char kShutdownScript[] =
    "import sys\n"
    "for _name in ('stdout', 'stderr'):\n"
    "    try:\n"
    "        getattr(sys, _name).flush()\n"
    "    except Exception:\n"
    "        pass\n"
    "sys.stdout, sys.stderr, sys.stdin = sys.__stdout__, sys.__stderr__, sys.__stdin__\n"
    "_threading = sys.modules.get('threading')\n"
    "if _threading is not None:\n"
    "    import time as _time\n"
    "    _deadline = _time.monotonic() + _grace\n"
    "    _left = False\n"
    "    for _thread in _threading.enumerate():\n"
    "        if _thread is _threading.current_thread() or _thread.daemon:\n"
    "            continue\n"
    "        _thread.join(max(0.0, _deadline - _time.monotonic()))\n"
    "        _left = _left or _thread.is_alive()\n"
    "    if _left:\n"
    "        _threading._shutdown = lambda: None\n"
    "import gc as _gc, io as _io\n"
    "for _file in _gc.get_objects():\n"
    "    try:\n"
    "        if isinstance(_file, (_io.BufferedIOBase, _io.TextIOBase)) and not _file.closed:\n"
    "            _file.flush()\n"
    "    except Exception:\n"
    "        pass\n";

}  // namespace

void TPythonEngine::Initialize() {
    TPythonEngine*& running = RunningEngineRecord();
    if (running)
        throw Exception(QStringLiteral("There is already one instance of TPythonEngine running"));
    running = this;
    RegistryPathStep();
    if (py_.Py_SetProgramName) {
        // The interpreter may keep the pointer: the text lives as long as the
        // process.
        static const std::wstring programName = [this] {
            std::wstring name;
            if (wchar_t* decoded = py_.Py_DecodeLocale(ProgramPath().constData(), nullptr)) {
                name = decoded;
                py_.PyMem_RawFree(decoded);
            }
            return name;
        }();
        py_.Py_SetProgramName(programName.c_str());
    }
    IgnoreUnusablePythonHome();
    const bool alreadyRunning = py_.IsInitialized();
    // Without the interpreter's signal handlers: this is a GUI process.
    py_.Py_InitializeEx(0);
    py_.Initialized = true;

    // The GUI thread holds the interpreter lock for the rest of this
    // operation and gives it up at its end, also when a step raises: between
    // executions it holds none.
    struct LockForSteps {
        PythonRuntime& py;
        bool fresh;
        PyGILState_STATE state = PyGILState_LOCKED;
        LockForSteps(PythonRuntime& runtime, bool freshStart) : py(runtime), fresh(freshStart) {
            if (!fresh)
                state = py.PyGILState_Ensure();
        }
        ~LockForSteps() {
            if (fresh)
                py.PyEval_SaveThread();
            else
                py.PyGILState_Release(state);
        }
    } lock(py_, !alreadyRunning);
    py_.SetMainThread(std::this_thread::get_id());
    watch_.Arm();

    SetArgumentVector();
    InstallMainThreadSleep();
    if (initThreads_ && py_.PyEval_InitThreads)
        py_.PyEval_InitThreads();
    if (RedirectIO && io_ && OnRedirectOutput)
        OnRedirectOutput(*this);
    for (qsizetype i = 0; i < clients_.size(); ++i) {
        EngineClient* client = clients_.at(i);
        if (!client->Initialized)
            client->Initialize();
    }
    if (!initScript_.isEmpty())
        ExecuteLines(initScript_);
    if (OnAfterInit)
        OnAfterInit(this);
}

void TPythonEngine::RegistryPathStep() {
    try {
        const QString key = QStringLiteral("\\Software\\Python\\PythonCore\\%1\\PythonPath").arg(py_.RegVersion);
        platform::KeyStore* store = Registry.get();
        if ((store && store->KeyExists(key)) || !OnPathInitialization)
            return;
        QString path;
        OnPathInitialization(this, path);
        if (!path.isEmpty() && store)
            store->WriteDefaultValue(key, path);
    } catch (...) {
        // An unavailable or unwritable store changes nothing.
    }
}

void TPythonEngine::IgnoreUnusablePythonHome() {
    // An inherited PYTHONHOME that does not hold this interpreter's library
    // would end the process inside the interpreter's start.
    const char* home = std::getenv("PYTHONHOME");
    if (!home || !*home || !py_.Py_GetVersion)
        return;
    const QStringList version = QString::fromLatin1(py_.Py_GetVersion()).section(u' ', 0, 0).split(u'.');
    if (version.size() < 2)
        return;
    const QString prefix = QString::fromLocal8Bit(home).section(u':', 0, 0);
    const QString lib = prefix + QStringLiteral("/lib/python");
    if (QFileInfo::exists(lib + version[0] + u'.' + version[1] + QStringLiteral("/os.py")) ||
        QFileInfo::exists(lib + version[0] + version[1] + QStringLiteral(".zip")))
        return;
    WriteToStandardError(QStringLiteral("PYTHONHOME \"%1\" holds no library of Python %2.%3; it is ignored.")
                             .arg(QString::fromLocal8Bit(home), version[0], version[1]));
    unsetenv("PYTHONHOME");
}

void TPythonEngine::SetArgumentVector() {
    QByteArrayList args = CommandLine();
    if (args.isEmpty())
        args.append(QByteArray());
    args[0] = ProgramPath();
    std::vector<wchar_t*> argv;
    argv.reserve(static_cast<std::size_t>(args.size()));
    static wchar_t empty[] = L"";
    for (const QByteArray& arg : args) {
        wchar_t* decoded = py_.Py_DecodeLocale(arg.constData(), nullptr);
        argv.push_back(decoded ? decoded : empty);
    }
    // The program's directory is not put in front of the module search path:
    // modules lying next to the binary must not shadow the library's.
    py_.PySys_SetArgvEx(static_cast<int>(argv.size()), argv.data(), 0);
    for (wchar_t* arg : argv) {
        if (arg != empty)
            py_.PyMem_RawFree(arg);
    }
    SearchScriptsFolderFirst();
}

void TPythonEngine::SearchScriptsFolderFirst() {
    // The scripts' folder is the working directory when code runs, and the
    // editor's dialogs may change it: the empty entry stands for whatever it
    // is at each import, as it does for an interactive interpreter.
    PyObject* path = py_.PySys_GetObject("path");
    const PyRef here = py_.Steal(py_.PyString_FromString(""));
    if (!py_.PyList_Check(path) || !here || py_.PyList_Insert(path, 0, here.get()) != 0)
        py_.PyErr_Clear();
}

void TPythonEngine::Finalize() {
    TPythonEngine*& running = RunningEngineRecord();
    bool stillExecuting = false;
    // Only the engine that started the interpreter stops it.
    if (running == this && py_.IsBound() && py_.IsInitialized()) {
        // No more interrupts from other threads once the interpreter begins
        // to stop; a request under way there needs the lock, so this comes
        // first. While code executes (and holds the lock) nothing stops.
        const bool stopping = AutoFinalize && executionDepth_ == 0;
        if (stopping)
            watch_.Disarm();
        const PyGILState_STATE state = py_.PyGILState_Ensure();
        for (qsizetype i = 0; i < clients_.size(); ++i) {
            EngineClient* client = clients_.at(i);
            if (!client->Initialized)
                continue;
            try {
                client->Finalize();
            } catch (const Exception& e) {
                WriteToStandardError(e.Message());
            } catch (const std::exception& e) {
                WriteToStandardError(QString::fromLocal8Bit(e.what()));
            }
        }
        if (stopping) {
            // The held dictionaries die with the interpreter.
            globalVars_.reset();
            localVars_.reset();
            compiledCode_.clear();
            streamWithoutBuffer_.reset();
            RestoreInterpreterSleep();
            PrepareForShutdown();
            py_.StopInterpreter();
        } else {
            // Stopping the interpreter under code it still runs would pull
            // the ground from under that code: it stays up, and running.
            stillExecuting = AutoFinalize;
            if (stillExecuting)
                WriteToStandardError(QStringLiteral("The interpreter is still executing code and is not shut down."));
            py_.PyGILState_Release(state);
        }
    }
    if (running == this && !stillExecuting)
        running = nullptr;
}

void TPythonEngine::PrepareForShutdown() {
    const PyRef scope = py_.Steal(py_.PyDict_New());
    if (!scope) {
        py_.PyErr_Clear();
        return;
    }
    py_.PyDict_SetItemString(scope.get(), "__builtins__", py_.PyEval_GetBuiltins());
    const PyRef grace = py_.Steal(py_.PyFloat_FromDouble(ThreadGraceSeconds > 0 ? ThreadGraceSeconds : 0.0));
    py_.PyDict_SetItemString(scope.get(), "_grace", grace.get());
    if (!py_.Steal(py_.PyRun_String(kShutdownScript, Py_file_input, scope.get(), scope.get())))
        py_.PyErr_Clear();
}

}  // namespace orvexa
