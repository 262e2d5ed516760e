#pragma once

#include <QObject>
#include <QString>
#include <QStringView>

namespace orvexa {

class TPythonEngine;

// What the engine and its output redirection need of the IO component that
// the engine's IO property refers to. The extension layer's
// TPythonInputOutput derives from this.
class EngineIO : public QObject {
    Q_OBJECT
public:
    explicit EngineIO(QObject* owner = nullptr) : QObject(owner) {}

    // Text the interpreter wrote to one of its standard streams.
    virtual void Write(QStringView text) = 0;
    // One line of input for the interpreter's standard input.
    virtual QString Read() = 0;
    virtual void SetDelayWrites(bool value) = 0;
    virtual void SetMaxLines(int value) = 0;
    // The component's class name ("TPythonInputOutput" for the base class),
    // for the write method's thread rule.
    virtual QString ClassName() const = 0;

    // The output redirection step of the engine's initialisation, run with
    // the engine itself after the interpreter has started and before the
    // engine's clients are initialised, when the engine's RedirectIO is set
    // and this is its IO. It creates the "pyio" module and points the
    // interpreter's standard streams at it. Exceptions leave the engine's
    // Initialize.
    virtual void RedirectOutput(TPythonEngine& engine) = 0;
};

}  // namespace orvexa
