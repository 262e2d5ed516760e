#pragma once

#include <QString>

namespace orvexa::platform {

// Hands documents and addresses to the desktop.
class Shell {
public:
    Shell() = default;
    Shell(const Shell&) = delete;
    Shell& operator=(const Shell&) = delete;
    virtual ~Shell() = default;

    // Opens an address (http:, mailto:, file:) with the desktop's handler.
    // The result is not reported.
    virtual void OpenAddress(const QString& address) = 0;
    // Runs a program, or opens a file with its handler when it is no program.
    virtual void OpenProgram(const QString& target) = 0;
    // Opens a file with the desktop's opener, started detached with the file
    // as its one argument. False when no opener exists.
    virtual bool OpenWithOpener(const QString& file) = 0;
};

}  // namespace orvexa::platform
