#pragma once

#include <QString>

namespace orvexa::platform {
class Dialogs;
}

namespace orvexa {

// Fatal start-up failures (the interpreter library cannot be loaded or
// bound) are told in two ways: on standard error, always, so that a start
// without a display or without Python says why; and in the dialog
// interface's fatal box, when someone can answer it.

enum class FatalBoxPolicy {
    // The box is shown only when the application runs on a real display: no
    // box under the offscreen or minimal platform, or without a GUI
    // application object, where a modal box could never be closed.
    WhenDisplayUsable,
    // The box is always handed to the dialog interface (for tests whose
    // scripted dialogs answer it).
    Always,
};

// Writes one line of text to standard error.
void WriteToStandardError(const QString& text);

// Writes text to standard error and, when showBox is true, there are
// dialogs and the policy allows it, shows it in their fatal box. Never
// throws.
void ReportFatal(const QString& text, bool showBox, platform::Dialogs* dialogs, FatalBoxPolicy policy);

}  // namespace orvexa
