#pragma once

#include "extension/PythonInputOutput.h"

#include <QPointer>

#include <deque>
#include <memory>

class QPlainTextEdit;

namespace orvexa::platform {
class Dialogs;
}

namespace orvexa {

// Delivers lines into a multi-line text control, keeping at most MaxLines
// lines there and scrolling to the newest; answers input requests with an
// input box. Used from the GUI thread only.
//
// The lines delivered in one turn of the event loop reach the control
// together, in one update at the end of that turn (before anything is
// painted): a script printing fast spends its time printing, not laying
// out the control line by line. Of those, no more than the control keeps
// are held meanwhile.
class TPythonGUIInputOutput : public TPythonInputOutput {
    Q_OBJECT
public:
    explicit TPythonGUIInputOutput(QObject* owner = nullptr);
    ~TPythonGUIInputOutput() override;

    // Weak: when the control is destroyed, Output becomes null and lines are
    // discarded.
    void SetOutput(QPlainTextEdit* control);
    QPlainTextEdit* GetOutput() const;
    // The dialogs whose input box asks for a script's input; without them
    // the input is empty.
    void SetDialogs(std::shared_ptr<platform::Dialogs> dialogs) { dialogs_ = std::move(dialogs); }

    void SendData(const QString& line) override;
    QString ReceiveData() override;
    void NotifyQueuedLine() override;

    // Puts the lines delivered since the last update into the control now.
    void FlushToControl();

protected:
    bool event(QEvent* event) override;

private:
    int ControlLineLimit() const;

    QPointer<QPlainTextEdit> Output;
    // Delivered, not yet in the control; at most ControlLineLimit() lines.
    std::deque<QString> unshown_;
    bool flushPosted_ = false;
    std::shared_ptr<platform::Dialogs> dialogs_;
};

}  // namespace orvexa
