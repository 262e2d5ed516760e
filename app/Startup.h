#pragma once

#include <QPointer>

#include <memory>

namespace orvexa {

class ProgramContext;
class TFormAbout;
class TFormMain;
class TFormOutput;
class TFormScriptEditor;

// The program's windows, created in start-up order. Destroying the set
// destroys them in reverse order.
struct Windows {
    std::unique_ptr<TFormAbout> FormAbout;
    std::unique_ptr<TFormMain> FormMain;
    // A dialog of the main window, which owns it.
    QPointer<TFormScriptEditor> FormScriptEditor;
    std::unique_ptr<TFormOutput> FormOutput;

    Windows();
    Windows(Windows&&) noexcept;
    Windows& operator=(Windows&&) noexcept;
    ~Windows();

    // Destroys the windows, the main window last.
    void Reset();
};

// Creates the windows in the order main window, script editor, Output window
// and wires them together, with the program's context, which outlives
// them. The application object must exist.
Windows CreateWindows(ProgramContext& context);

}  // namespace orvexa
