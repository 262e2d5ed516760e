#include "extension/PythonModule.h"

#include "core/Exception.h"
#include "engine/PythonEngine.h"
#include "extension/PythonType.h"

namespace orvexa {
namespace {

QString WithLineFeed(const QStringList& lines) {
    QString text = lines.join(u'\n');
    text.remove(u'\r');
    if (!text.endsWith(u'\n'))
        text += u'\n';
    return text;
}

// Every module of the engine that the given module is attached to.
QList<TPythonModule*> ModulesOfEngine(TPythonEngine* engine) {
    QList<TPythonModule*> modules;
    if (!engine)
        return modules;
    for (EngineClient* client : engine->Clients())
        if (auto* module = qobject_cast<TPythonModule*>(client))
            modules.append(module);
    return modules;
}

}  // namespace

// TError

void TError::SetName(const QString& name) {
    if (name == name_ || name.isEmpty())
        return;
    TErrors& siblings = module_->Errors();
    for (int i = 0; i < siblings.Count(); ++i)
        if (&siblings.Item(i) != this && siblings.Item(i).Name() == name)
            throw Exception(QStringLiteral("In module \"%1\", there's already an error named \"%2\"")
                                .arg(module_->ModuleName(), name));
    if (errorType_ == TErrorType::etClass && !name_.isEmpty() && module_->Engine()) {
        for (TPythonModule* module : ModulesOfEngine(module_->Engine()))
            for (int i = 0; i < module->Errors().Count(); ++i) {
                TParentClassError& parent = module->Errors().Item(i).ParentClass;
                if (parent.Module == module_->ModuleName() && parent.Name == name_)
                    parent.Name = name;
            }
    }
    name_ = name;
}

void TError::SetErrorType(TErrorType type) {
    errorType_ = type;
    if (type == TErrorType::etString)
        ParentClass.Name.clear();
}

PyObject* TError::FindParentClass(const QString& moduleName) {
    PythonRuntime& py = module_->RequireRuntime();
    PyObject* module = nullptr;
    if (!ParentClass.Module.isEmpty()) {
        // sys.modules keeps the module once imported: a borrowed one is enough.
        const PyRef imported = py.Steal(py.PyImport_ImportModule(ParentClass.Module.toUtf8().constData()));
        if (!imported)
            py.PyErr_Clear();
        module = imported.get();
    } else {
        module = py.LookupModule(moduleName.toUtf8().constData());
    }
    if (!module)
        throw Exception(QStringLiteral("Could not find module containing the parent class of error \"%1\"").arg(name_));
    PyObject* dict = py.PyModule_GetDict(module);
    PyObject* parent = dict ? py.PyDict_GetItemString(dict, ParentClass.Name.toUtf8().constData()) : nullptr;
    if (!parent)
        throw Exception(
            QStringLiteral("Could not find the parent class \"%1\" of error \"%2\"").arg(ParentClass.Name, name_));
    if (!py.PyClass_Check(parent))
        throw Exception(QStringLiteral("The object \"%1\" in module \"%2\" is not a class")
                            .arg(ParentClass.Name, ParentClass.Module));
    return parent;
}

void TError::BuildError(const QString& moduleName) {
    if (ErrorObject)
        return;
    if (name_.isEmpty())
        throw Exception(QStringLiteral("Error without name in module \"%1\"").arg(moduleName));
    if (Text.isEmpty())
        Text = name_;
    PythonRuntime& py = module_->RequireRuntime();
    if (errorType_ == TErrorType::etString) {
        ErrorObject = py.Steal(py.PyString_FromString(Text.toUtf8().constData()));
    } else {
        PyObject* base = ParentClass.Name.isEmpty() ? nullptr : FindParentClass(moduleName);
        const QByteArray qualified = QStringLiteral("%1.%2").arg(moduleName, name_).toUtf8();
        ErrorObject = py.Steal(py.PyErr_NewException(qualified.constData(), base, nullptr));
    }
    if (!ErrorObject) {
        py.PyErr_Clear();
        throw Exception(QStringLiteral("Could not create error \"%1\"").arg(name_));
    }
}

void TError::ReleaseError() {
    // Without an engine the interpreter is gone, and its objects with it.
    if (module_->Engine())
        ErrorObject.reset();
    else
        (void)ErrorObject.release();
}

TError& TErrors::Add() {
    items_.push_back(std::make_unique<TError>(owner_));
    return *items_.back();
}

// TPythonModule

TPythonModule::TPythonModule(QObject* owner) : TMethodsContainer(owner) {}

TPythonModule::~TPythonModule() { DetachForDestruction(); }

void TPythonModule::SetModuleName(const QString& name) {
    if (name == moduleName_ || name.isEmpty())
        return;
    if (Engine() && !moduleName_.isEmpty()) {
        for (TPythonModule* module : ModulesOfEngine(Engine()))
            for (int i = 0; i < module->Errors().Count(); ++i) {
                TParentClassError& parent = module->Errors().Item(i).ParentClass;
                if (parent.Module == moduleName_)
                    parent.Module = name;
            }
    }
    moduleName_ = name;
}

void TPythonModule::Initialize() {
    if (Initialized)
        return;
    TMethodsContainer::Initialize();
    moduleObject_ = nullptr;
    BuildModule();
    for (const QPointer<TPythonType>& type : types_)
        if (type)
            AddTypeObject(type);
    CreateErrorObjects();
    if (OnAfterInitialization)
        OnAfterInitialization(this);
}

void TPythonModule::Finalize() {
    if (Initialized) {
        for (int i = 0; i < errors_.Count(); ++i)
            errors_.Item(i).ReleaseError();
        moduleObject_ = nullptr;
    }
    TMethodsContainer::Finalize();
}

void TPythonModule::BuildModule() {
    PythonRuntime& py = RequireRuntime();
    if (!moduleObject_) {
        moduleNameBytes_ = moduleName_.toUtf8();
        moduleObject_ = py.InitModule(moduleNameBytes_.constData(), MethodTable());
    }
    const QString doc = DocString.join(u'\n');
    if (!doc.isEmpty() && moduleObject_) {
        const PyRef text = py.Steal(py.PyString_FromString(WithLineFeed(DocString).toUtf8().constData()));
        py.PyObject_SetAttrString(moduleObject_, "__doc__", text.get());
    }
}

void TPythonModule::RegisterType(TPythonType* type) {
    if (!types_.contains(type))
        types_.append(type);
}

void TPythonModule::AddTypeObject(TPythonType* type) {
    if (!moduleObject_ || !type->TypeObject())
        return;
    PythonRuntime& py = RequireRuntime();
    if (PyObject* dict = py.PyModule_GetDict(moduleObject_))
        py.PyDict_SetItemString(dict, type->TypeName.toUtf8().constData(), type->TypeObject());
}

void TPythonModule::CreateErrorObjects() {
    PythonRuntime& py = RequireRuntime();
    PyObject* dict = moduleObject_ ? py.PyModule_GetDict(moduleObject_) : nullptr;
    if (!dict)
        return;
    for (int i = 0; i < errors_.Count(); ++i) {
        TError& error = errors_.Item(i);
        error.BuildError(moduleName_);
        py.PyDict_SetItemString(dict, error.Name().toUtf8().constData(), error.ErrorObject.get());
    }
}

}  // namespace orvexa
