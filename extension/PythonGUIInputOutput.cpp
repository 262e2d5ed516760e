#include "extension/PythonGUIInputOutput.h"

#include "platform/Dialogs.h"
#include "platform/Services.h"

#include <QCoreApplication>
#include <QEvent>
#include <QPlainTextEdit>
#include <QScrollBar>

namespace orvexa {
namespace {
// Posted once per queued line; handled on the GUI thread's event loop.
const QEvent::Type kQueuedLineEvent = static_cast<QEvent::Type>(QEvent::User + 1);
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
    // The control drops its oldest lines itself; at least the newest stays.
    const int limit = qMax(MaxLines, 1);
    if (Output->maximumBlockCount() != limit)
        Output->setMaximumBlockCount(limit);
    Output->appendPlainText(line);
    QScrollBar* bar = Output->verticalScrollBar();
    bar->setValue(bar->maximum());
}

QString TPythonGUIInputOutput::ReceiveData() {
    if (OnReceiveData)
        return TPythonInputOutput::ReceiveData();
    const std::optional<QString> answer = platform::dialogs().InputQuery(
        QStringLiteral("Query for Python"), QStringLiteral("Enter text"), 255);
    return answer.value_or(QString());
}

void TPythonGUIInputOutput::NotifyQueuedLine() {
    QCoreApplication::postEvent(this, new QEvent(kQueuedLineEvent));
}

bool TPythonGUIInputOutput::event(QEvent* event) {
    if (event->type() != kQueuedLineEvent)
        return TPythonInputOutput::event(event);
    QString line;
    if (TakeQueuedLine(line))
        SendData(line);
    return true;
}

}  // namespace orvexa
