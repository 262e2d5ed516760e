#pragma once

#include "engine/PyRef.h"
#include "extension/MethodsContainer.h"

#include <QByteArray>
#include <QList>
#include <QPointer>
#include <QStringList>

#include <memory>
#include <vector>

namespace orvexa {

class TPythonModule;
class TPythonType;

enum class TErrorType { etString, etClass };

// The base class of a class error: the module to look in (empty: the
// error's own module) and the class name (empty: no base class).
struct TParentClassError {
    QString Module;
    QString Name;
};

// One exception object that a module defines.
class TError {
public:
    explicit TError(TPythonModule* module) : module_(module) {}

    const QString& Name() const { return name_; }
    // Renames, keeping references of other errors of the engine in step.
    void SetName(const QString& name);
    QString Text;
    TErrorType ErrorType() const { return errorType_; }
    void SetErrorType(TErrorType type);
    TParentClassError ParentClass;
    QString DisplayName() const { return name_.isEmpty() ? QStringLiteral("TError") : name_; }

    PyRef ErrorObject;

    // Creates ErrorObject when it does not exist yet.
    void BuildError(const QString& moduleName);
    // Releases ErrorObject (the interpreter's lock held).
    void ReleaseError();

private:
    PyObject* FindParentClass(const QString& moduleName);

    TPythonModule* module_;
    QString name_;
    TErrorType errorType_ = TErrorType::etString;
};

// The exception objects of one module.
class TErrors {
public:
    explicit TErrors(TPythonModule* owner) : owner_(owner) {}

    TError& Add();
    int Count() const { return static_cast<int>(items_.size()); }
    TError& Item(int index) const { return *items_.at(static_cast<size_t>(index)); }
    TPythonModule* Owner() const { return owner_; }

private:
    TPythonModule* owner_;
    std::vector<std::unique_ptr<TError>> items_;
};

// An interpreter module built from the container's method table, with an
// optional documentation string and exception objects. Scripts import it by
// ModuleName.
class TPythonModule : public TMethodsContainer {
    Q_OBJECT
public:
    explicit TPythonModule(QObject* owner = nullptr);
    ~TPythonModule() override;

    QStringList DocString;
    const QString& ModuleName() const { return moduleName_; }
    void SetModuleName(const QString& name);
    TErrors& Errors() { return errors_; }
    TNotifyEvent OnAfterInitialization;

    // The built module (borrowed: the interpreter owns it), or null.
    PyObject* ModuleObject() const { return moduleObject_; }

    void Initialize() override;
    // Lets go of the module's error objects: they belong to the interpreter
    // that stops, and a restarted one builds its own.
    void Finalize() override;
    void BuildModule();
    void CreateErrorObjects();

    // Types entered into this module's dictionary when it is built, and a
    // type entered at once into a module that is already built.
    void RegisterType(TPythonType* type);
    void AddTypeObject(TPythonType* type);

private:
    QString moduleName_;
    QByteArray moduleNameBytes_;
    TErrors errors_{this};
    PyObject* moduleObject_ = nullptr;
    QList<QPointer<TPythonType>> types_;  // weak: a type may go first
};

}  // namespace orvexa
