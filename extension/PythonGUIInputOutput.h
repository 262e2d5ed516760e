#pragma once

#include "extension/PythonInputOutput.h"

#include <QPointer>

class QPlainTextEdit;

namespace orvexa {

// Delivers lines into a multi-line text control, keeping at most MaxLines
// lines there and scrolling to the newest; answers input requests with an
// input box. Used from the GUI thread only.
class TPythonGUIInputOutput : public TPythonInputOutput {
    Q_OBJECT
public:
    explicit TPythonGUIInputOutput(QObject* owner = nullptr);
    ~TPythonGUIInputOutput() override;

    // Weak: when the control is destroyed, Output becomes null and lines are
    // discarded.
    void SetOutput(QPlainTextEdit* control);
    QPlainTextEdit* GetOutput() const;

    void SendData(const QString& line) override;
    QString ReceiveData() override;
    void NotifyQueuedLine() override;

protected:
    bool event(QEvent* event) override;

private:
    QPointer<QPlainTextEdit> Output;
};

}  // namespace orvexa
