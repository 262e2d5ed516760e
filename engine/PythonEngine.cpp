#include "engine/PythonEngine.h"

#include "engine/KnownVersions.h"

#include <cstdio>

#include <unistd.h>

namespace orvexa {

TPythonEngine::TPythonEngine(QObject* owner) : QObject(owner) {
    py_.BeforeLoading = [this] { BeforeLoad(); };
    py_.AfterBinding = [this] { AfterLoad(); };
    SetUseLastKnownVersion(true);
}

TPythonEngine::~TPythonEngine() {
    try {
        SetLocalVars(nullptr);
        SetGlobalVars(nullptr);
    } catch (...) {
        // Clearing never raises; nothing may leave a destructor.
    }
    Finalize();
    for (qsizetype i = clients_.size() - 1; i >= 0; --i) {
        EngineClient* client = clients_.at(i);
        disconnect(client, nullptr, this, nullptr);
        client->ClearEngine();
    }
    clients_.clear();
    initScript_.clear();
    traceback_.Clear();
    py_.BeforeLoading = nullptr;
    py_.AfterBinding = nullptr;
}

void TPythonEngine::SetUseLastKnownVersion(bool value) {
    py_.CandidateNames.clear();
    if (value) {
        for (const KnownVersion& known : KnownVersions())
            py_.CandidateNames.append(QString::fromLatin1(known.DllName));
    }
    useLastKnownVersion_ = value;
}

void TPythonEngine::SetInitThreads(bool value) {
    // Preparing threads before the interpreter has started aborts some
    // releases; once it has started, the call is harmless (3.x always has
    // its lock).
    if (value && !initThreads_ && py_.PyEval_InitThreads && py_.IsBound() && py_.IsInitialized()) {
        PythonLock lock(py_);
        py_.PyEval_InitThreads();
    }
    initThreads_ = value;
}

void TPythonEngine::BeforeLoad() {
    // No console exists for a GUI process: a terminal on standard output
    // gets the console's title.
    if (UseWindowsConsole && isatty(STDOUT_FILENO)) {
        std::fputs("\033]0;Python console\007", stdout);
        std::fflush(stdout);
    }
}

void TPythonEngine::AfterLoad() {
    AdjustVersion();
    // After a failed binding (only possible without FatalAbort) nothing may
    // call the slots that stayed unbound.
    if (py_.IsBound() && InitializeOnLoad)
        Initialize();
}

void TPythonEngine::AdjustVersion() {
    // A path (the user's choice) is known by its file name.
    const QString fileName = py_.DllName.section(u'/', -1);
    for (const KnownVersion& known : KnownVersions()) {
        if (fileName.compare(QLatin1String(known.DllName), Qt::CaseInsensitive) == 0) {
            py_.APIVersion = known.APIVersion;
            py_.RegVersion = QString::fromLatin1(known.RegVersion);
            return;
        }
    }
}

void TPythonEngine::AttachClient(EngineClient* client) {
    if (!client || clients_.contains(client))
        return;
    clients_.append(client);
    connect(client, &QObject::destroyed, this, [this, client] { ClientDestroyed(client); });
}

void TPythonEngine::DetachClient(EngineClient* client) {
    if (IsInitialized())
        Finalize();
    if (clients_.removeAll(client) > 0)
        disconnect(client, nullptr, this, nullptr);
}

void TPythonEngine::ClientDestroyed(EngineClient* client) {
    // The client is past its own destructor: it is only dropped, and the
    // interpreter is stopped for the others.
    if (clients_.removeAll(client) == 0)
        return;
    if (IsInitialized())
        Finalize();
}

void TPythonEngine::SetGlobalVars(PyObject* value) { SetDictionary(globalVars_, value, "GlobalVars"); }

void TPythonEngine::SetLocalVars(PyObject* value) { SetDictionary(localVars_, value, "LocalVars"); }

void TPythonEngine::SetDictionary(PyRef& held, PyObject* value, const char* property) {
    PythonLock lock(py_);
    // Once the interpreter is gone its objects are too: the holder only
    // forgets what it held.
    if (py_.IsBound() && py_.IsInitialized())
        held.reset();
    else
        (void)held.release();
    if (!value)
        return;
    if (!py_.PyDict_Check(value))
        throw Exception(
            QStringLiteral("You must set a Python dictionary in the %1 property").arg(QLatin1String(property)));
    held = py_.Borrow(value);
}

}  // namespace orvexa
