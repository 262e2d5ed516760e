#pragma once

class QWidget;

namespace orvexa::ui {

// Shows `window` and brings it to the front, then makes `asker` the active
// window again with the keyboard focus on the control of `asker` that had
// it, so that typing goes on where it was.
void ShowInFrontKeepingFocus(QWidget* window, QWidget* asker);

}  // namespace orvexa::ui
