#pragma once

#include "engine/EngineIO.h"

#include <QObject>
#include <QString>

#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

namespace orvexa {

// Turns a stream of written text into whole lines and delivers each line.
// Every writing thread has its own partial line, so text of different
// threads never mixes within one line. Writes are accepted from any thread.
class TPythonInputOutput : public EngineIO {
    Q_OBJECT
public:
    using TSendDataEvent = std::function<void(TPythonInputOutput* sender, const QString& data)>;
    using TReceiveDataEvent = std::function<void(TPythonInputOutput* sender, QString& data)>;

    explicit TPythonInputOutput(QObject* owner = nullptr);
    ~TPythonInputOutput() override;

    int MaxLines = 1000;
    int MaxLineLength = 256;
    bool DelayWrites = false;
    TSendDataEvent OnSendData;
    TReceiveDataEvent OnReceiveData;

    // The entry through which script output arrives.
    void Write(QStringView text) override;

    // What the engine and "pyio" use.
    QString Read() override { return ReceiveData(); }
    void SetDelayWrites(bool value) override { DelayWrites = value; }
    void SetMaxLines(int value) override { MaxLines = value; }

    // Delivers one finished line.
    virtual void SendData(const QString& line);
    // Produces one line of input.
    virtual QString ReceiveData();
    // Called after a line was queued for delayed delivery.
    virtual void NotifyQueuedLine();

    // Delayed-delivery queue, oldest first.
    qsizetype QueuedLineCount() const;
    // Removes and returns the oldest queued line; false when there is none.
    bool TakeQueuedLine(QString& line);

protected:
    // The lock that guards the pending lines and the queue.
    std::recursive_mutex& Lock() const { return lock_; }

private:
    QString& PendingLineOfThisThread();
    void Emit(QString& workingLine);

    mutable std::recursive_mutex lock_;
    std::vector<std::pair<std::thread::id, QString>> PendingLines;
    std::deque<QString> Queue;
};

}  // namespace orvexa
