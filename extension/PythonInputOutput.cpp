#include "extension/PythonInputOutput.h"

namespace orvexa {

TPythonInputOutput::TPythonInputOutput(QObject* owner) : EngineIO(owner) {}

TPythonInputOutput::~TPythonInputOutput() = default;

QString& TPythonInputOutput::PendingLineOfThisThread() {
    const std::thread::id me = std::this_thread::get_id();
    for (auto& [thread, line] : PendingLines)
        if (thread == me)
            return line;
    PendingLines.emplace_back(me, QString());
    return PendingLines.back().second;
}

void TPythonInputOutput::Write(QStringView text) {
    const std::lock_guard guard(lock_);
    // Work on a copy: a delivery that fails leaves the thread's entry as it
    // was at the last emitted line.
    QString working = PendingLineOfThisThread();
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text[i];
        if (c == u'\n') {
            Emit(working);
            continue;
        }
        if (c != u'\t' && c.unicode() < 32)
            continue;  // other control characters, CR among them, are dropped
        working += c;
        // A surrogate pair is one character: never cut between its halves.
        if (c.isHighSurrogate() && i + 1 < n && text[i + 1].isLowSurrogate())
            working += text[++i];
        if (working.size() > MaxLineLength)
            Emit(working);
    }
    PendingLineOfThisThread() = working;
}

void TPythonInputOutput::Emit(QString& workingLine) {
    QString line = std::exchange(workingLine, QString());
    PendingLineOfThisThread().clear();
    if (!DelayWrites) {
        SendData(line);
        return;
    }
    Queue.push_back(std::move(line));
    if (Queue.size() > static_cast<size_t>(qMax(MaxLines, 0))) {
        Queue.pop_front();  // full: the oldest line goes, and nobody is told
        return;
    }
    NotifyQueuedLine();
}

void TPythonInputOutput::SendData(const QString& line) {
    if (OnSendData)
        OnSendData(this, line);
}

QString TPythonInputOutput::ReceiveData() {
    QString data;
    if (OnReceiveData)
        OnReceiveData(this, data);
    return data;
}

void TPythonInputOutput::NotifyQueuedLine() {}

qsizetype TPythonInputOutput::QueuedLineCount() const {
    const std::lock_guard guard(lock_);
    return static_cast<qsizetype>(Queue.size());
}

bool TPythonInputOutput::TakeQueuedLine(QString& line) {
    const std::lock_guard guard(lock_);
    if (Queue.empty())
        return false;
    line = std::move(Queue.front());
    Queue.pop_front();
    return true;
}

}  // namespace orvexa
