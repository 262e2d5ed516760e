#include "engine/PythonEngine.h"

#include "engine/KnownVersions.h"

#include <cstdio>

#include <unistd.h>

namespace orvexa {

TPythonEngine::TPythonEngine(QObject* owner) : TPythonInterface(owner), traceback_(*this) {
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
}

void TPythonEngine::SetUseLastKnownVersion(bool value) {
    CandidateNames.clear();
    if (value) {
        for (const KnownVersion& known : KnownVersions())
            CandidateNames.append(QString::fromLatin1(known.DllName));
    }
    useLastKnownVersion_ = value;
}

void TPythonEngine::SetInitThreads(bool value) {
    // Preparing threads before the interpreter has started aborts some
    // releases; once it has started, the call is harmless (3.x always has
    // its lock).
    if (value && !initThreads_ && PyEval_InitThreads && IsBound() && IsInitialized()) {
        PythonLock lock(*this);
        PyEval_InitThreads();
    }
    initThreads_ = value;
}

QString TPythonEngine::FirstChoice() const {
    return QString::fromLocal8Bit(qgetenv("ORVEXA_LIBPYTHON"));
}

void TPythonEngine::BeforeLoad() {
    // No console exists for a GUI process: a terminal on standard output
    // gets the console's title.
    if (UseWindowsConsole && isatty(STDOUT_FILENO)) {
        std::fputs("\033]0;Python console\007", stdout);
        std::fflush(stdout);
    }
    TPythonInterface::BeforeLoad();
}

void TPythonEngine::AfterLoad() {
    TPythonInterface::AfterLoad();
    AdjustVersion();
    // After a failed binding (only possible without FatalAbort) nothing may
    // call the slots that stayed unbound.
    if (IsBound())
        Initialize();
}

void TPythonEngine::AdjustVersion() {
    // A path (the user's choice) is known by its file name.
    const QString fileName = DllName.section(u'/', -1);
    for (const KnownVersion& known : KnownVersions()) {
        if (fileName.compare(QLatin1String(known.DllName), Qt::CaseInsensitive) == 0) {
            APIVersion = known.APIVersion;
            RegVersion = QString::fromLatin1(known.RegVersion);
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

PyObject* TPythonEngine::LookupModule(const char* name) {
    RequireInitialized();
    PythonLock lock(*this);
    PyObject* module = PyDict_GetItemString(PyImport_GetModuleDict(), name);
    return PyModule_Check(module) ? module : nullptr;
}

PyObject* TPythonEngine::NewNoneRef() {
    RequireInitialized();
    PythonLock lock(*this);
    Py_INCREF(_Py_NoneStruct);
    return _Py_NoneStruct;
}

void TPythonEngine::SetGlobalVars(PyObject* value) {
    SetDictionary(globalVars_, value, "GlobalVars");
}

void TPythonEngine::SetLocalVars(PyObject* value) { SetDictionary(localVars_, value, "LocalVars"); }

void TPythonEngine::SetDictionary(PyObject*& held, PyObject* value, const char* property) {
    PythonLock lock(*this);
    const bool live = IsBound() && IsInitialized();
    if (held && live)
        Py_DECREF(held);
    held = nullptr;
    if (!value)
        return;
    if (!PyDict_Check(value))
        throw Exception(QStringLiteral("You must set a Python dictionary in the %1 property")
                            .arg(QLatin1String(property)));
    held = value;
    Py_INCREF(held);
}

}  // namespace orvexa
