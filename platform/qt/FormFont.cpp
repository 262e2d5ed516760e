#include "platform/qt/FormFont.h"

#include <QFont>
#include <QWidget>

namespace orvexa::platform {

void ApplyFormFont(QWidget* window) {
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(11);
    window->setFont(font);
}

}  // namespace orvexa::platform
