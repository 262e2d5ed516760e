#include "extension/PythonType.h"

#include "core/Exception.h"
#include "engine/PythonEngine.h"
#include "extension/PythonModule.h"

#include <tuple>

namespace orvexa {

TPythonType::TPythonType(QObject* owner) : TMethodsContainer(owner) {}

TPythonType::~TPythonType() { DetachForDestruction(); }

void TPythonType::SetModule(TPythonModule* module) {
    module_ = module;
    if (!module)
        return;
    constructorName_ = (Prefix + TypeName).toUtf8();
    constructorDoc_ = QStringLiteral("Creates a new instance of type %1").arg(TypeName).toUtf8();
    module->AddObjectMethod(constructorName_.constData(), {reinterpret_cast<void*>(&Construct), this},
                            constructorDoc_.constData());
    module->RegisterType(this);
}

void TPythonType::Initialize() {
    if (Initialized)
        return;
    TMethodsContainer::Initialize();
    PythonRuntime& py = RequireRuntime();
    stats_.TypeName = TypeName;
    // A class made by the interpreter's own type(): the type's name, its
    // documentation, and a finaliser (a callback bound to this component)
    // that counts the instances going away.
    const PyRef dict = py.Steal(py.PyDict_New());
    if (!dict)
        throw Exception(QStringLiteral("Could not create type \"%1\"").arg(TypeName));
    QString doc = DocString.join(u'\n');
    doc.remove(u'\r');
    if (!doc.isEmpty()) {
        const PyRef text = py.Steal(py.PyString_FromString(doc.toUtf8().constData()));
        py.PyDict_SetItemString(dict.get(), "__doc__", text.get());
    }
    // Special methods that are plain functions are called without the
    // instance: these two only count.
    for (auto [def, body, name] :
         {std::tuple{&createdDef_, &Created, "__init__"}, std::tuple{&deletedDef_, &Deleted, "__del__"}}) {
        void* thunk = MakeObjectCallback(this, reinterpret_cast<void*>(body), 2, TCallbackConvention::ccCDecl);
        *def = PyMethodDef{name, reinterpret_cast<PyCFunction>(thunk), METH_VARARGS, nullptr};
        const PyRef function = py.Steal(py.PyCFunction_New(def, nullptr, nullptr));
        py.PyDict_SetItemString(dict.get(), name, function.get());
    }
    const PyRef bases = py.Steal(py.BuildValue("(O)", reinterpret_cast<PyObject*>(py.PyObject_Type)));
    const PyRef args = py.Steal(py.BuildValue("(sOO)", TypeName, bases.get(), dict.get()));
    if (args)
        typeObject_ = py.Steal(py.PyObject_CallObject(reinterpret_cast<PyObject*>(py.PyType_Type), args.get()));
    if (!typeObject_) {
        py.PyErr_Clear();
        throw Exception(QStringLiteral("Could not create type \"%1\"").arg(TypeName));
    }
    if (module_ && module_->Initialized)
        module_->AddTypeObject(this);
}

void TPythonType::Finalize() {
    if (!Initialized)
        return;
    TMethodsContainer::Finalize();
    // Without a running interpreter its objects are gone already.
    if (IsEngineAvailable())
        typeObject_.reset();
    else
        (void)typeObject_.release();
}

PyObject* TPythonType::Construct(void* self, PyObject*, PyObject* args) {
    auto* type = static_cast<TPythonType*>(self);
    PythonRuntime& py = GetRunningEngine().Runtime();
    if (!type->typeObject_) {
        py.PyErr_SetString(*py.PyExc_RuntimeError, "the type is not initialised");
        return nullptr;
    }
    return py.PyObject_CallObject(type->typeObject_.get(), args);
}

PyObject* TPythonType::Created(void* self, PyObject*, PyObject*) {
    auto* type = static_cast<TPythonType*>(self);
    ++type->stats_.CreateHits;
    ++type->stats_.InstanceCount;
    return GetRunningEngine().Runtime().NewNoneRef();
}

PyObject* TPythonType::Deleted(void* self, PyObject*, PyObject*) {
    auto* type = static_cast<TPythonType*>(self);
    ++type->stats_.DeleteHits;
    --type->stats_.InstanceCount;
    return GetRunningEngine().Runtime().NewNoneRef();
}

}  // namespace orvexa
