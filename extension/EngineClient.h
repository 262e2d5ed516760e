#pragma once

#include "engine/EngineClient.h"

#include <QPointer>
#include <QString>

#include <functional>

namespace orvexa {

class PythonRuntime;
class TPythonEngine;

// A component attached to one engine: initialised when the interpreter
// starts, finalised when it stops. The engine reference is weak.
//
// Every most-derived destructor calls DetachForDestruction() first, before
// it frees anything the engine may reach through a finalisation.
class TEngineClient : public EngineClient {
    Q_OBJECT
public:
    using TNotifyEvent = std::function<void(QObject* sender)>;

    explicit TEngineClient(QObject* owner = nullptr);
    ~TEngineClient() override;

    TPythonEngine* Engine() const;
    // Detaches from the current engine and attaches to the new one; the same
    // engine again changes nothing, null only detaches.
    virtual void SetEngine(TPythonEngine* engine);

    TNotifyEvent OnCreate;
    TNotifyEvent OnDestroy;
    TNotifyEvent OnFinalization;
    TNotifyEvent OnInitialization;

    void Initialize() override;
    void Finalize() override;
    void ClearEngine() override;

    // The owner's layout has been loaded into this component.
    void Loaded();

    // Throws "No Engine defined for component ..." without an engine.
    TPythonEngine& RequireEngine() const;
    // The interpreter of the engine, the same way.
    PythonRuntime& RequireRuntime() const;

    // The component's class name without namespace, for messages.
    QString ClassName() const;

protected:
    void DetachForDestruction();

private:
    QPointer<TPythonEngine> engine_;
    bool destroying_ = false;
};

}  // namespace orvexa
