#pragma once

#include "engine/EngineClient.h"
#include "engine/EngineIO.h"
#include "engine/PythonEngine.h"

#include <QPointer>
#include <QString>
#include <QStringList>

#include <functional>

namespace orvexa::test {

// An engine client that writes every call the engine makes into a log, and
// detaches itself first thing in its destructor as a proper client does
// (unless leaveAttached is set).
class RecordingClient final : public EngineClient {
    Q_OBJECT
public:
    RecordingClient(QString name, QStringList& log) : name_(std::move(name)), log_(log) {}
    ~RecordingClient() override {
        if (engine_ && !leaveAttached)
            engine_->DetachClient(this);
    }

    void AttachTo(TPythonEngine& engine) {
        engine_ = &engine;
        engine.AttachClient(this);
    }

    void Initialize() override {
        log_.append(name_ + QStringLiteral(".Initialize"));
        Initialized = true;
        if (onInitialize)
            onInitialize();
    }
    void Finalize() override {
        log_.append(name_ + QStringLiteral(".Finalize"));
        Initialized = false;
    }
    void ClearEngine() override {
        log_.append(name_ + QStringLiteral(".ClearEngine"));
        engine_ = nullptr;
    }

    std::function<void()> onInitialize;
    bool leaveAttached = false;

private:
    QString name_;
    QStringList& log_;
    QPointer<TPythonEngine> engine_;
};

// An IO component that records what it is given.
class RecordingIO final : public EngineIO {
    Q_OBJECT
public:
    void Write(QStringView text) override { written += text; }
    QString Read() override { return input; }
    void SetDelayWrites(bool value) override { delayWrites = value; }
    void SetMaxLines(int value) override { maxLines = value; }
    QString written;
    QString input;
    bool delayWrites = false;
    int maxLines = 0;
};

}  // namespace orvexa::test
