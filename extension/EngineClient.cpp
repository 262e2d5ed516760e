#include "extension/EngineClient.h"

#include "core/Exception.h"
#include "engine/PythonEngine.h"

namespace orvexa {

TEngineClient::TEngineClient(QObject* owner) : EngineClient(owner) {}

TEngineClient::~TEngineClient() { DetachForDestruction(); }

TPythonEngine* TEngineClient::Engine() const { return engine_; }

void TEngineClient::SetEngine(TPythonEngine* engine) {
    if (engine == engine_)
        return;
    if (TPythonEngine* old = engine_) {
        engine_ = nullptr;
        old->DetachClient(this);
    }
    engine_ = engine;
    if (engine)
        engine->AttachClient(this);
}

void TEngineClient::Initialize() {
    if (Initialized)
        return;
    if (OnInitialization)
        OnInitialization(this);
    Initialized = true;
}

void TEngineClient::Finalize() {
    if (!Initialized)
        return;
    if (OnFinalization)
        OnFinalization(this);
    Initialized = false;
}

void TEngineClient::ClearEngine() { engine_ = nullptr; }

void TEngineClient::Loaded() {
    if (OnCreate)
        OnCreate(this);
}

TPythonEngine& TEngineClient::RequireEngine() const {
    if (!engine_)
        throw Exception(QStringLiteral("No Engine defined for component \"%1\"").arg(objectName()));
    return *engine_;
}

PythonRuntime& TEngineClient::RequireRuntime() const { return RequireEngine().Runtime(); }

QString TEngineClient::ClassName() const {
    const QString name = QString::fromLatin1(metaObject()->className());
    return name.mid(name.lastIndexOf(u':') + 1);
}

void TEngineClient::DetachForDestruction() {
    if (destroying_)
        return;
    destroying_ = true;
    // The engine may finalise every client now, this one included, while
    // all of this object is still alive.
    if (TPythonEngine* engine = engine_) {
        try {
            engine->DetachClient(this);
        } catch (...) {
            // A destructor must not throw; the interpreter is stopped anyway.
        }
    }
    engine_ = nullptr;
    if (OnDestroy)
        OnDestroy(this);
}

}  // namespace orvexa
