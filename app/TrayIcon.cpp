#include "app/TrayIcon.h"

#include "core/Strings.h"

#include <QAction>
#include <QActionGroup>
#include <QMenu>
#include <QPainter>
#include <QPainterPath>
#include <QSystemTrayIcon>

namespace orvexa {
namespace {

// The application's picture with a badge in its lower right quarter: a
// green circle with a play triangle while the script runs, a grey one with
// a square while it is stopped, so that the two differ at 16 pixels and to
// users who do not tell green from grey.
QPixmap StatePixmap(const QIcon& base, int size, bool running) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    base.paint(&painter, 0, 0, size, size);
    const qreal badge = size * 0.55;
    const QRectF circle(size - badge, size - badge, badge, badge);
    painter.setPen(QPen(Qt::white, qMax(1.0, size / 32.0)));
    painter.setBrush(running ? QColor(0x1e, 0xa0, 0x3c) : QColor(0x70, 0x70, 0x70));
    painter.drawEllipse(circle.adjusted(0.5, 0.5, -0.5, -0.5));
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::white);
    const QPointF c = circle.center();
    const qreal r = badge * 0.24;
    if (running) {
        QPainterPath triangle;
        triangle.moveTo(c.x() - r * 0.8, c.y() - r);
        triangle.lineTo(c.x() + r * 1.1, c.y());
        triangle.lineTo(c.x() - r * 0.8, c.y() + r);
        triangle.closeSubpath();
        painter.drawPath(triangle);
    } else {
        painter.drawRect(QRectF(c.x() - r * 0.85, c.y() - r * 0.85, r * 1.7, r * 1.7));
    }
    return pixmap;
}

}  // namespace

TrayIcon::TrayIcon(Kind kind, QObject* parent) : QObject(parent), kind_(kind), menu_(std::make_unique<QMenu>()) {
    if (kind_ == Kind::Window) {
        scriptsMenu_ = menu_->addMenu(strings::TrayScripts());
        scriptGroup_ = new QActionGroup(this);
        scriptGroup_->setExclusive(true);
    }
    runStop_ = menu_->addAction(strings::Run());
    connect(runStop_, &QAction::triggered, this, &TrayIcon::RunStopChosen);
    if (kind_ == Kind::Window) {
        connect(menu_->addAction(strings::TrayShowWindow()), &QAction::triggered, this, &TrayIcon::ShowWindowChosen);
        connect(menu_->addAction(strings::MenuWindowsOutput()), &QAction::triggered, this, &TrayIcon::OutputChosen);
    }
    menu_->addSeparator();
    connect(menu_->addAction(strings::MenuFileExit()), &QAction::triggered, this, &TrayIcon::ExitChosen);

    icon_ = new QSystemTrayIcon(Picture(false), this);
    icon_->setContextMenu(menu_.get());
    connect(icon_, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        if (reason == QSystemTrayIcon::Trigger || reason == QSystemTrayIcon::DoubleClick)
            emit Clicked();
    });
    SetState(QString(), false);
}

TrayIcon::~TrayIcon() {
    // The icon goes before its menu.
    delete icon_;
}

bool TrayIcon::Available() { return QSystemTrayIcon::isSystemTrayAvailable(); }

void TrayIcon::Show() { icon_->show(); }
void TrayIcon::Hide() { icon_->hide(); }
bool TrayIcon::IsShown() const { return icon_->isVisible(); }

QIcon TrayIcon::Picture(bool running) {
    const QIcon base(QStringLiteral(":/icons/orvexa.svg"));
    QIcon icon;
    for (const int size : {16, 22, 24, 32, 48, 64})
        icon.addPixmap(StatePixmap(base, size, running));
    return icon;
}

void TrayIcon::SetScripts(const QStringList& names, int current) {
    scripts_ = names;
    current_ = current;
    UpdateScriptItems();
}

void TrayIcon::UpdateScriptItems() {
    if (!scriptsMenu_)
        return;
    for (QAction* action : scriptGroup_->actions()) {
        scriptGroup_->removeAction(action);
        delete action;
    }
    for (qsizetype i = 0; i < scripts_.size(); ++i) {
        // A script's name is shown as it is: an & in it is no mnemonic.
        QString label = scripts_.at(i);
        label.replace(u'&', QStringLiteral("&&"));
        QAction* action = scriptsMenu_->addAction(label);
        action->setCheckable(true);
        action->setChecked(i == current_);
        scriptGroup_->addAction(action);
        connect(action, &QAction::triggered, this, [this, i] { emit ScriptChosen(static_cast<int>(i)); });
    }
    // As the main window's list: no other script while one runs.
    scriptsMenu_->setEnabled(!running_ && !scripts_.isEmpty());
}

void TrayIcon::SetState(const QString& scriptName, bool running) {
    const bool changed = running != running_;
    running_ = running;
    runStop_->setText(running ? strings::Stop() : strings::Run());
    runStop_->setEnabled(running || !scriptName.isEmpty() || kind_ == Kind::Window);
    if (changed || icon_->icon().isNull())
        icon_->setIcon(Picture(running));
    icon_->setToolTip(strings::TrayToolTip(scriptName, running));
    if (scriptsMenu_)
        scriptsMenu_->setEnabled(!running_ && !scripts_.isEmpty());
}

}  // namespace orvexa
