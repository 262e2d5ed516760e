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
    TPythonEngine& engine = RequireEngine();
    stats_.TypeName = TypeName;
    // A class made by the interpreter's own type(): the type's name, its
    // documentation, and a finaliser (a callback bound to this component)
    // that counts the instances going away.
    PyObject* dict = engine.PyDict_New();
    if (!dict)
        throw Exception(QStringLiteral("Could not create type \"%1\"").arg(TypeName));
    QString doc = DocString.join(u'\n');
    doc.remove(u'\r');
    if (!doc.isEmpty()) {
        PyObject* text = engine.PyString_FromString(doc.toUtf8().constData());
        engine.PyDict_SetItemString(dict, "__doc__", text);
        engine.Py_XDECREF(text);
    }
    // Special methods that are plain functions are called without the
    // instance: these two only count.
    for (auto [def, body, name] : {std::tuple{&createdDef_, &Created, "__init__"},
                                   std::tuple{&deletedDef_, &Deleted, "__del__"}}) {
        void* thunk = MakeObjectCallback(this, reinterpret_cast<void*>(body), 2, TCallbackConvention::ccCDecl);
        *def = PyMethodDef{name, reinterpret_cast<PyCFunction>(thunk), METH_VARARGS, nullptr};
        PyObject* function = engine.PyCFunction_New(def, nullptr, nullptr);
        engine.PyDict_SetItemString(dict, name, function);
        engine.Py_XDECREF(function);
    }
    PyObject* bases = engine.BuildValue("(O)", reinterpret_cast<PyObject*>(engine.PyObject_Type));
    PyObject* args = engine.BuildValue("(sOO)", TypeName, bases, dict);
    typeObject_ = args ? engine.PyObject_CallObject(reinterpret_cast<PyObject*>(engine.PyType_Type), args) : nullptr;
    engine.Py_XDECREF(args);
    engine.Py_XDECREF(bases);
    engine.Py_DECREF(dict);
    if (!typeObject_) {
        engine.PyErr_Clear();
        throw Exception(QStringLiteral("Could not create type \"%1\"").arg(TypeName));
    }
    if (module_ && module_->Initialized)
        module_->AddTypeObject(this);
}

void TPythonType::Finalize() {
    if (!Initialized)
        return;
    TMethodsContainer::Finalize();
    if (typeObject_ && IsEngineAvailable())
        GetRunningEngine().Py_DECREF(typeObject_);
    typeObject_ = nullptr;
}

PyObject* TPythonType::Construct(void* self, PyObject*, PyObject* args) {
    auto* type = static_cast<TPythonType*>(self);
    TPythonEngine& engine = GetRunningEngine();
    if (!type->typeObject_) {
        engine.PyErr_SetString(*engine.PyExc_RuntimeError, "the type is not initialised");
        return nullptr;
    }
    return engine.PyObject_CallObject(type->typeObject_, args);
}

PyObject* TPythonType::Created(void* self, PyObject*, PyObject*) {
    auto* type = static_cast<TPythonType*>(self);
    ++type->stats_.CreateHits;
    ++type->stats_.InstanceCount;
    return GetRunningEngine().NewNoneRef();
}

PyObject* TPythonType::Deleted(void* self, PyObject*, PyObject*) {
    auto* type = static_cast<TPythonType*>(self);
    ++type->stats_.DeleteHits;
    --type->stats_.InstanceCount;
    return GetRunningEngine().NewNoneRef();
}

}  // namespace orvexa
