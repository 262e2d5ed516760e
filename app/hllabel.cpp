#include "app/hllabel.h"

#include "platform/Shell.h"

#include <QMouseEvent>

namespace orvexa {

THLLabel::THLLabel(QWidget* owner) : QLabel(owner), copyright_(QStringLiteral("Hyperlink label, part of Orvexa")) {
    setCursor(Qt::PointingHandCursor);
}

void THLLabel::SetLType(TLType type) {
    lType_ = type;
    QFont f = font();
    f.setUnderline(type != TLType::Normal);
    setFont(f);
}

void THLLabel::SetShownColor(const QColor& color) {
    QPalette p = palette();
    p.setColor(QPalette::WindowText, color);
    setPalette(p);
}

QString THLLabel::Target() const {
    switch (lType_) {
    case TLType::URL:
        return QStringLiteral("http://") + text();
    case TLType::Mail:
        return QStringLiteral("mailto:") + text();
    case TLType::Exe:
        return text();
    case TLType::Normal:
        break;
    }
    return QString();
}

void THLLabel::MouseEnter() {
    hovering_ = true;
    SetShownColor(fontColorIn_);
    emit MouseOver(this);
}

void THLLabel::MouseLeave() {
    hovering_ = false;
    SetShownColor(fontColorOut_);
    emit MouseOut(this);
}

void THLLabel::Click() {
    emit Clicked(this);
    if (lType_ == TLType::Normal || !shell_)
        return;
    if (lType_ == TLType::Exe)
        shell_->OpenProgram(Target());
    else
        shell_->OpenAddress(Target());
}

void THLLabel::enterEvent(QEnterEvent* event) {
    QLabel::enterEvent(event);
    MouseEnter();
}

void THLLabel::leaveEvent(QEvent* event) {
    QLabel::leaveEvent(event);
    MouseLeave();
}

void THLLabel::mouseReleaseEvent(QMouseEvent* event) {
    QLabel::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        Click();
}

}  // namespace orvexa
