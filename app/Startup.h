#pragma once

#include <QPointer>

#include <memory>

namespace orvexa {

class ProgramContext;
class TFormMain;
class TFormOutput;

// The program's windows, created in start-up order. Destroying the set
// destroys them in reverse order. The main window makes the About box
// (TFormMain::About) and its script editor (TFormMain::ScriptEditor) when
// they are first needed.
struct Windows {
    std::unique_ptr<TFormMain> FormMain;
    std::unique_ptr<TFormOutput> FormOutput;

    Windows();
    Windows(Windows&&) noexcept;
    Windows& operator=(Windows&&) noexcept;
    ~Windows();

    // Destroys the windows, the main window last.
    void Reset();
};

// Creates the windows in the order main window, Output window (the script
// editor comes when first needed) and wires them together, with the program's context, which outlives
// them. The application object must exist.
Windows CreateWindows(ProgramContext& context);

}  // namespace orvexa
