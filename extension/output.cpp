#include "extension/output.h"

#include "core/Strings.h"
#include "ui/FormFont.h"
#include "ui/WindowFocus.h"

#include <QCloseEvent>
#include <QFrame>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace orvexa {

TFormOutput::TFormOutput(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("FormOutput"));
    setWindowTitle(strings::OutputCaption());
    ui::ApplyFormFont(this);
    setGeometry(16, 16, 239, 276);

    RichEditOutput = new QPlainTextEdit(this);
    RichEditOutput->setObjectName(QStringLiteral("RichEditOutput"));
    RichEditOutput->setReadOnly(true);
    RichEditOutput->setLineWrapMode(QPlainTextEdit::NoWrap);
    RichEditOutput->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
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

void TFormOutput::ButtonCloseClick() { hide(); }

void TFormOutput::ButtonClearClick() { RichEditOutput->clear(); }

void TFormOutput::ShowFor(QWidget* asker) { ui::ShowInFrontKeepingFocus(this, asker); }

void TFormOutput::closeEvent(QCloseEvent* event) {
    event->ignore();
    hide();
}

}  // namespace orvexa
