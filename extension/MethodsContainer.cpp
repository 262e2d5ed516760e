#include "extension/MethodsContainer.h"

#include "core/Exception.h"
#include "engine/PythonEngine.h"

namespace orvexa {
namespace {
constexpr int kGrowth = 10;
}

TEventDef::TEventDef(TMethodsContainer* owner, int index)
    : Name(QStringLiteral("PythonEvent%1").arg(index)), owner_(owner) {}

const char* TEventDef::PreparedName() {
    name_ = Name.toUtf8();
    return name_.constData();
}

const char* TEventDef::PrepareDocString() {
    QString text = DocString.join(u'\n');
    text.remove(u'\r');
    if (!text.endsWith(u'\n'))
        text += u'\n';
    doc_ = text.toUtf8();
    return doc_.constData();
}

PyObject* TEventDef::InvokeEvent(void* item, PyObject* pself, PyObject* args) {
    auto* event = static_cast<TEventDef*>(item);
    PyObject* result = nullptr;
    try {
        event->owner_->RequireEngine();
        if (event->OnExecute)
            event->OnExecute(event, pself, args, result);
    } catch (const std::exception& e) {
        // A handler's failure becomes the script's exception: nothing may
        // unwind through the interpreter's own frames.
        if (IsEngineAvailable()) {
            PythonRuntime& py = GetRunningEngine().Runtime();
            const QByteArray message = QString::fromUtf8(e.what()).toUtf8();
            py.PyErr_SetString(*py.PyExc_RuntimeError, message.constData());
        }
        return nullptr;
    }
    return result;
}

TEventDef& TEventDefs::Add() {
    items_.push_back(std::make_unique<TEventDef>(owner_, static_cast<int>(items_.size())));
    return *items_.back();
}

TMethodsContainer::TMethodsContainer(QObject* owner) : TEngineClient(owner) {
    capacity_ = kGrowth;
    table_.assign(static_cast<size_t>(capacity_) + 1, PyMethodDef{});
}

TMethodsContainer::~TMethodsContainer() { DetachForDestruction(); }

PyMethodDef* TMethodsContainer::AddMethodDef(const char* name, PyCFunction function, const char* doc) {
    if (entryCount_ == capacity_) {
        capacity_ += kGrowth;
        table_.resize(static_cast<size_t>(capacity_) + 1, PyMethodDef{});
    }
    PyMethodDef& entry = table_[static_cast<size_t>(entryCount_)];
    entry = PyMethodDef{name, function, METH_VARARGS, doc};
    ++entryCount_;
    return &entry;
}

PyMethodDef* TMethodsContainer::AddObjectMethod(const char* name, const TMethod& method, const char* doc) {
    void* thunk = MakeMethodCallback(method, 2, TCallbackConvention::ccCDecl);
    return AddMethodDef(name, reinterpret_cast<PyCFunction>(thunk), doc);
}

PyMethodDef& TMethodsContainer::Method(int index) {
    if (index < 0 || index > entryCount_)
        throw Exception(QStringLiteral("%1: Index %2 out of range").arg(ClassName()).arg(index));
    return table_[static_cast<size_t>(index)];
}

void TMethodsContainer::Initialize() {
    const bool already = Initialized;
    TEngineClient::Initialize();
    if (!already)
        RegisterEvents();
}

void TMethodsContainer::RegisterEvents() {
    for (int i = 0; i < events_.Count(); ++i) {
        TEventDef& item = events_.Item(i);
        RequireEngine();
        const char* doc = item.PrepareDocString();
        AddObjectMethod(item.PreparedName(), {reinterpret_cast<void*>(&TEventDef::InvokeEvent), &item}, doc);
    }
}

}  // namespace orvexa
