#include "ui/FormFont.h"

#include <QFont>
#include <QWidget>

namespace orvexa::ui {

QFont FormFont() {
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(11);
    return font;
}

void ApplyFormFont(QWidget* window) { window->setFont(FormFont()); }

}  // namespace orvexa::ui
