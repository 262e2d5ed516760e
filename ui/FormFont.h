#pragma once

#include <QFont>

class QWidget;

namespace orvexa::ui {

// The font every window of the program uses: "MS Sans Serif" at a character
// height of 11 pixels, or the desktop's sans-serif face where that font is
// missing (fontconfig substitutes).
QFont FormFont();
void ApplyFormFont(QWidget* window);

}  // namespace orvexa::ui
