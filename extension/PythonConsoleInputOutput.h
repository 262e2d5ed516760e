#pragma once

#include "extension/PythonInputOutput.h"

#include <QByteArray>

#include <unistd.h>

namespace orvexa {

// The IO component of a script run without windows: lines go to the
// process's standard output, and input is read from its standard input, a
// line at a time, with its line end. The end of the input answers the empty
// string (input() raises EOFError then); so does a read that the program's
// closing interrupts. Reads and writes come from the GUI thread only.
class TPythonConsoleInputOutput : public TPythonInputOutput {
    Q_OBJECT
public:
    // The descriptors are not owned; tests give pipes of their own.
    explicit TPythonConsoleInputOutput(QObject* owner = nullptr, int input = STDIN_FILENO, int output = STDOUT_FILENO);
    ~TPythonConsoleInputOutput() override;

    void SendData(const QString& line) override;
    QString ReceiveData() override;

private:
    // Reads more of the input into buffered_; false at its end, on an
    // error, or when the program began closing.
    bool ReadMore();

    int input_;
    int output_;
    QByteArray buffered_;
    bool ended_ = false;
    // Written when the program begins closing: a read waiting for input
    // wakes up.
    int wake_[2] = {-1, -1};
    int quitListener_ = 0;
};

}  // namespace orvexa
