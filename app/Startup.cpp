#include "app/Startup.h"

#include "app/FormMain.h"
#include "editor/ScriptEdit.h"
#include "extension/output.h"

namespace orvexa {

Windows::Windows() = default;
Windows::Windows(Windows&&) noexcept = default;
Windows& Windows::operator=(Windows&& other) noexcept {
    if (this != &other) {
        Reset();
        FormMain = std::move(other.FormMain);
        FormScriptEditor = std::move(other.FormScriptEditor);
        FormOutput = std::move(other.FormOutput);
    }
    return *this;
}

Windows::~Windows() { Reset(); }

void Windows::Reset() {
    // The main window goes last: its destruction shuts the interpreter down,
    // and the other windows may still be referred to until then.
    FormOutput.reset();
    FormScriptEditor.reset();
    FormMain.reset();
}

Windows CreateWindows() {
    Windows windows;
    windows.FormMain = std::make_unique<TFormMain>();
    windows.FormScriptEditor = std::make_unique<TFormScriptEditor>();
    windows.FormOutput = std::make_unique<TFormOutput>();
    windows.FormMain->SetPeers(windows.FormScriptEditor.get(), windows.FormOutput.get());
    return windows;
}

}  // namespace orvexa
