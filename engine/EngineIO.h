#pragma once

#include <QObject>
#include <QString>
#include <QStringView>

namespace orvexa {

// What the output redirection needs of the IO component that the engine's
// IO property refers to. The extension layer's TPythonInputOutput derives
// from this.
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
};

}  // namespace orvexa
