#pragma once

#include "engine/PythonTypes.h"
#include "extension/EngineClient.h"
#include "extension/MethodCallback.h"

#include <QByteArray>
#include <QStringList>

#include <functional>
#include <memory>
#include <vector>

namespace orvexa {

class TMethodsContainer;

// A method whose body is an event handler of the program.
class TEventDef {
public:
    using TPythonEvent = std::function<void(TEventDef* sender, PyObject* pself, PyObject* args, PyObject*& result)>;

    TEventDef(TMethodsContainer* owner, int index);

    QString Name;
    TPythonEvent OnExecute;
    QStringList DocString;

    TMethodsContainer* Owner() const { return owner_; }
    QString DisplayName() const { return Name; }

    // The text handed to the interpreter; it lives as long as the item.
    const char* PreparedName();
    const char* PrepareDocString();

    // Reached through a callback thunk that delivers the item first.
    static PyObject* InvokeEvent(void* item, PyObject* pself, PyObject* args);

private:
    TMethodsContainer* owner_;
    QByteArray name_;
    QByteArray doc_;
};

// The collection of event-bound methods of one container.
class TEventDefs {
public:
    explicit TEventDefs(TMethodsContainer* owner) : owner_(owner) {}

    TEventDef& Add();
    int Count() const { return static_cast<int>(items_.size()); }
    TEventDef& Item(int index) const { return *items_.at(static_cast<size_t>(index)); }
    TMethodsContainer* Owner() const { return owner_; }

private:
    TMethodsContainer* owner_;
    std::vector<std::unique_ptr<TEventDef>> items_;
};

// A client with a method table in the interpreter's own layout: always
// Capacity + 1 entries, every entry from EntryCount on all zero, so the
// table is terminated. The interpreter keeps pointers into the table once a
// module is built from it: methods are added before that only.
class TMethodsContainer : public TEngineClient {
    Q_OBJECT
public:
    explicit TMethodsContainer(QObject* owner = nullptr);
    ~TMethodsContainer() override;

    TEventDefs& Events() { return events_; }

    int EntryCount() const { return entryCount_; }
    int Capacity() const { return capacity_; }
    PyMethodDef* MethodTable() { return table_.data(); }

    // Appends one entry (flags METH_VARARGS). Name and doc are not copied:
    // they must live as long as the module.
    PyMethodDef* AddMethodDef(const char* name, PyCFunction function, const char* doc);
    // Appends a method of an object: a callback thunk delivers the object as
    // the method's first argument, followed by (self, args).
    PyMethodDef* AddObjectMethod(const char* name, const TMethod& method, const char* doc);

    // Entry access: indices 0 to EntryCount inclusive.
    PyMethodDef& Method(int index);

    void Initialize() override;

protected:
    void RegisterEvents();

private:
    TEventDefs events_{this};
    std::vector<PyMethodDef> table_;
    int entryCount_ = 0;
    int capacity_ = 0;
};

}  // namespace orvexa
