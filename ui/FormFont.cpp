#include "ui/FormFont.h"

#include <QFont>
#include <QWidget>

namespace orvexa::ui {

void ApplyFormFont(QWidget* window) {
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(11);
    window->setFont(font);
}

}  // namespace orvexa::ui
