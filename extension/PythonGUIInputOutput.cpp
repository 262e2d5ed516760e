#include "extension/PythonGUIInputOutput.h"

#include "core/EventTypes.h"
#include "core/Strings.h"
#include "platform/Dialogs.h"

#include <QCoreApplication>
#include <QEvent>
#include <QPlainTextEdit>
#include <QScrollBar>

namespace orvexa {
namespace {
// Posted once per queued line; handled on the GUI thread's event loop.
struct QueuedLineEvent;
// Posted once per turn of the event loop in which lines were delivered.
struct FlushEvent;
}  // namespace

TPythonGUIInputOutput::TPythonGUIInputOutput(QObject* owner) : TPythonInputOutput(owner) {}

TPythonGUIInputOutput::~TPythonGUIInputOutput() = default;

void TPythonGUIInputOutput::SetOutput(QPlainTextEdit* control) { Output = control; }

QPlainTextEdit* TPythonGUIInputOutput::GetOutput() const { return Output; }

void TPythonGUIInputOutput::SendData(const QString& line) {
    if (OnSendData) {
        TPythonInputOutput::SendData(line);
        return;
    }
    if (!Output)
        return;
    unshown_.push_back(line);
    // Older lines would only be pushed out of the control again.
    while (unshown_.size() > static_cast<size_t>(ControlLineLimit()))
        unshown_.pop_front();
    if (!flushPosted_) {
        flushPosted_ = true;
        QCoreApplication::postEvent(this, new QEvent(EventTypeOf<FlushEvent>()));
    }
}

int TPythonGUIInputOutput::ControlLineLimit() const {
    // The control keeps at most MaxLines lines, and at least the newest.
    return qMax(MaxLines, 1);
}

void TPythonGUIInputOutput::FlushToControl() {
    flushPosted_ = false;
    if (unshown_.empty())
        return;
    std::deque<QString> lines;
    lines.swap(unshown_);
    if (!Output)
        return;
    const int limit = ControlLineLimit();
    if (Output->maximumBlockCount() != limit)
        Output->setMaximumBlockCount(limit);
    const QString text = QStringList(lines.begin(), lines.end()).join(u'\n');
    // Lines enough to fill the control replace what it holds; fewer are
    // added after it, the control dropping its oldest lines itself.
    if (lines.size() >= static_cast<size_t>(limit))
        Output->setPlainText(text);
    else
        Output->appendPlainText(text);
    QScrollBar* bar = Output->verticalScrollBar();
    bar->setValue(bar->maximum());
}

QString TPythonGUIInputOutput::ReceiveData() {
    if (OnReceiveData)
        return TPythonInputOutput::ReceiveData();
    if (!dialogs_)
        return QString();
    const std::optional<QString> answer =
        dialogs_->InputQuery(strings::InputQueryCaption(), strings::InputQueryPrompt(), 255);
    return answer.value_or(QString());
}

void TPythonGUIInputOutput::NotifyQueuedLine() {
    QCoreApplication::postEvent(this, new QEvent(EventTypeOf<QueuedLineEvent>()));
}

bool TPythonGUIInputOutput::event(QEvent* event) {
    if (event->type() == EventTypeOf<FlushEvent>()) {
        FlushToControl();
        return true;
    }
    if (event->type() != EventTypeOf<QueuedLineEvent>())
        return TPythonInputOutput::event(event);
    QString line;
    if (TakeQueuedLine(line))
        SendData(line);
    return true;
}

}  // namespace orvexa
