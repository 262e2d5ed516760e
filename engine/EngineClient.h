#pragma once

#include <QObject>

namespace orvexa {

class TPythonEngine;

// What the engine needs of a component attached to it (an extension module
// or type). The extension layer's TEngineClient derives from this.
//
// Attaching and detaching: the client calls engine.AttachClient(this) when
// its engine reference is set, and engine.DetachClient(this) when it is
// changed or cleared, and first thing in its most-derived destructor (a
// detach may finalise the engine, which calls Finalize on every initialised
// client, this one included). A client destroyed without detaching is only
// dropped from the engine's list, and the interpreter is stopped for the
// others.
class EngineClient : public QObject {
    Q_OBJECT
public:
    explicit EngineClient(QObject* owner = nullptr) : QObject(owner) {}

    // True between the client's Initialize and Finalize. The engine
    // initialises only clients for which it is false, and finalises only
    // those for which it is true.
    bool Initialized = false;

    virtual void Initialize() = 0;
    virtual void Finalize() = 0;
    // The engine is being destroyed: forget it without detaching.
    virtual void ClearEngine() = 0;
};

}  // namespace orvexa
