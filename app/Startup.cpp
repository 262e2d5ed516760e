#include "app/Startup.h"

#include "app/FormMain.h"
#include "automation/ProgramContext.h"
#include "extension/OutputTracebacks.h"
#include "extension/output.h"

namespace orvexa {

Windows::Windows() = default;
Windows::Windows(Windows&&) noexcept = default;
Windows& Windows::operator=(Windows&& other) noexcept {
    if (this != &other) {
        Reset();
        FormMain = std::move(other.FormMain);
        FormOutput = std::move(other.FormOutput);
    }
    return *this;
}

Windows::~Windows() { Reset(); }

void Windows::Reset() {
    // The main window goes last: its destruction shuts the interpreter down,
    // and the other windows may still be referred to until then.
    FormOutput.reset();
    FormMain.reset();
}

Windows CreateWindows(ProgramContext& context) {
    Windows windows;
    windows.FormMain = std::make_unique<TFormMain>(context);
    windows.FormOutput = std::make_unique<TFormOutput>();
    windows.FormMain->SetOutputWindow(windows.FormOutput.get());
    // From a traceback's line to the script's line, and a syntax error of
    // the editor's test run to its line. The editor opens once the double
    // click is handled, not in a modal loop inside its handler.
    auto* tracebacks = new OutputTracebacks(windows.FormOutput->RichEditOutput);
    QObject::connect(tracebacks, &OutputTracebacks::LineActivated, windows.FormMain.get(), &TFormMain::EditScriptAt,
                     Qt::QueuedConnection);
    QObject::connect(tracebacks, &OutputTracebacks::SyntaxErrorAt, windows.FormMain.get(), &TFormMain::SyntaxErrorAt);
    return windows;
}

}  // namespace orvexa
