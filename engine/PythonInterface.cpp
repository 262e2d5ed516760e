#include "engine/PythonInterface.h"

#include "core/Strings.h"
#include "engine/PyRef.h"
#include "engine/PythonLock.h"

#include <cstring>

namespace orvexa {

// A module definition and the name it points to, kept for as long as the
// interpreter may use them.
struct TPythonInterface::ModuleDefinition {
    QByteArray name;
    PyModuleDef definition{};
};

TPythonInterface::TPythonInterface(QObject* owner) : TDynamicDll(owner) {
    DllName = QStringLiteral("python15.dll");
    APIVersion = 1007;
    RegVersion = QStringLiteral("1.5");
    AutoUnload = true;
}

TPythonInterface::~TPythonInterface() = default;

void TPythonInterface::BindApi() {
    bound_ = false;
    static_cast<PythonApi&>(*this) = PythonApi{};
    const bool gateOpen = APIVersion >= 1007 && DllName != QLatin1String("python14.dll");
    char* base = reinterpret_cast<char*>(static_cast<PythonApi*>(this));
    for (const ApiRow& row : ApiRows()) {
        void* address = nullptr;
        if (row.symbol && (row.group != ApiGroup::Gated || gateOpen))
            address = row.use == ApiUse::Optional ? LookupSymbol(row.symbol) : BindSymbol(row.symbol);
        std::memcpy(base + row.offset, &address, sizeof address);
    }
    bound_ = true;
}

bool TPythonInterface::IsInitialized() const {
    if (Py_IsInitialized)
        return Py_IsInitialized() != 0;
    return Initialized;
}

void TPythonInterface::RequireInitialized() const {
    if (!IsInitialized() && !finalizing_)
        throw Exception(QStringLiteral("Python is not properly initialized"));
}

PyObject* TPythonInterface::InitModule(const char* name, PyMethodDef* methods) {
    RequireInitialized();
    PythonLock lock(*this);
    auto holder = std::make_unique<ModuleDefinition>();
    holder->name = QByteArray(name);
    PyModuleDef& def = holder->definition;
    def.m_base.ob_base.ob_refcnt = kStaticObjectRefCount;
    def.m_name = holder->name.constData();
    def.m_size = -1;
    def.m_methods = methods;
    const PyRef module = PyRef::Steal(*this, Py_InitModule4(&def, APIVersion));
    if (!module || PyDict_SetItemString(PyImport_GetModuleDict(), name, module.get()) != 0) {
        PyErr_Clear();
        throw Exception(QStringLiteral("Could not create module \"%1\"").arg(QString::fromUtf8(name)));
    }
    moduleDefinitions_.push_back(std::move(holder));
    return module.get();  // borrowed: sys.modules holds it from now on
}

void TPythonInterface::ReleaseModuleDefinitions() { moduleDefinitions_.clear(); }

void TPythonInterface::AfterLoad() {
    TDynamicDll::AfterLoad();
    try {
        BindApi();
    } catch (const Exception& e) {
        Fail(e.Message());
    } catch (const std::exception& e) {
        Fail(QString::fromLocal8Bit(e.what()));
    }
}

QString TPythonInterface::QuitMessage() const { return strings::PythonQuitMessage(); }

}  // namespace orvexa
