#include "extension/output.h"

#include "core/Strings.h"
#include "platform/KeyStore.h"
#include "ui/FormFont.h"
#include "ui/WindowFocus.h"
#include "ui/WindowPlacement.h"

#include <QCloseEvent>
#include <QFrame>
#include <QGuiApplication>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QTextOption>
#include <QVBoxLayout>

namespace orvexa {
namespace {

// The kept place: "left,top,width,height" of the window (its frame's
// top-left corner and its inner size).
QString PlaceText(const QPoint& position, const QSize& size) {
    return QStringLiteral("%1,%2,%3,%4").arg(position.x()).arg(position.y()).arg(size.width()).arg(size.height());
}

// A kept place that still lies on a screen; an empty rectangle otherwise.
QRect ReadPlace(const QString& text) {
    const QStringList parts = text.split(u',');
    if (parts.size() != 4)
        return {};
    int values[4] = {};
    for (int i = 0; i < 4; ++i) {
        bool ok = false;
        values[i] = parts.at(i).trimmed().toInt(&ok);
        if (!ok)
            return {};
    }
    const QRect place(values[0], values[1], values[2], values[3]);
    if (place.width() < 100 || place.height() < 60 || !QGuiApplication::screenAt(place.center()))
        return {};
    return place;
}

}  // namespace

TFormOutput::TFormOutput(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("FormOutput"));
    setWindowTitle(strings::OutputCaption());
    ui::ApplyFormFont(this);
    resize(kFirstWidth, kFirstHeight);

    RichEditOutput = new QPlainTextEdit(this);
    RichEditOutput->setObjectName(QStringLiteral("RichEditOutput"));
    RichEditOutput->setReadOnly(true);
    RichEditOutput->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    RichEditOutput->setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    RichEditOutput->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    RichEditOutput->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    RichEditOutput->setUndoRedoEnabled(false);

    Panel1 = new QFrame(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFixedHeight(39);
    ButtonClose = new QPushButton(strings::OutputClose(), Panel1);
    ButtonClose->setObjectName(QStringLiteral("ButtonClose"));
    ButtonClose->setGeometry(8, 8, 75, 25);
    ButtonClear = new QPushButton(strings::OutputClear(), Panel1);
    ButtonClear->setObjectName(QStringLiteral("ButtonClear"));
    ButtonClear->setGeometry(89, 8, 75, 25);
    setTabOrder(ButtonClose, ButtonClear);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(RichEditOutput);
    layout->addWidget(Panel1);

    connect(ButtonClose, &QPushButton::clicked, this, &TFormOutput::ButtonCloseClick);
    connect(ButtonClear, &QPushButton::clicked, this, &TFormOutput::ButtonClearClick);
}

TFormOutput::~TFormOutput() {
    // Open when the program ends: kept where it is.
    if (isVisible())
        KeepPlace();
}

void TFormOutput::ButtonCloseClick() { hide(); }

void TFormOutput::ButtonClearClick() { RichEditOutput->clear(); }

void TFormOutput::SetPlaceStore(std::shared_ptr<platform::KeyStore> store) { placeStore_ = std::move(store); }

void TFormOutput::ShowFor(QWidget* asker) {
    PlaceBeforeFirstShow(asker);
    ui::ShowInFrontKeepingFocus(this, asker);
}

void TFormOutput::ShowWithoutFocus(QWidget* beside) {
    PlaceBeforeFirstShow(beside);
    setAttribute(Qt::WA_ShowWithoutActivating, true);
    show();
    raise();
    setAttribute(Qt::WA_ShowWithoutActivating, false);
}

void TFormOutput::PlaceBeforeFirstShow(const QWidget* anchor) {
    if (placed_)
        return;
    placed_ = true;
    QRect kept;
    try {
        if (placeStore_)
            kept = ReadPlace(placeStore_->ReadDefaultValue(QLatin1String(kPlaceKey)));
    } catch (...) {
        // An unreadable store keeps nothing.
    }
    if (kept.isEmpty()) {
        ui::MoveBeside(this, anchor ? anchor->window() : nullptr);
        return;
    }
    resize(kept.size());
    move(kept.topLeft());
}

void TFormOutput::KeepPlace() {
    if (!placeStore_ || !placed_)
        return;
    try {
        placeStore_->WriteDefaultValue(QLatin1String(kPlaceKey), PlaceText(pos(), size()));
    } catch (...) {
        // A store that cannot be written forgets the place; nothing else.
    }
}

void TFormOutput::closeEvent(QCloseEvent* event) {
    event->ignore();
    hide();
}

void TFormOutput::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    KeepPlace();
}

}  // namespace orvexa
