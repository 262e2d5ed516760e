#include "editor/FindBar.h"

#include "core/Strings.h"
#include "editor/ScriptTextEdit.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>
#include <initializer_list>

namespace orvexa {
namespace {

QHBoxLayout* RowLayout(QWidget* row) {
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(4);
    return layout;
}

// The bar's buttons never become the window's default: Return belongs to
// the field being typed in.
QPushButton* Button(const QString& caption, QWidget* row) {
    auto* button = new QPushButton(caption, row);
    button->setAutoDefault(false);
    button->setDefault(false);
    return button;
}

}  // namespace

FindBar::FindBar(ScriptTextEdit* edit, QWidget* parent) : QFrame(parent), edit_(edit) {
    setObjectName(QStringLiteral("FindBar"));
    setFrameStyle(QFrame::Panel | QFrame::Raised);
    auto* rows = new QVBoxLayout(this);
    rows->setContentsMargins(4, 3, 4, 3);
    rows->setSpacing(3);

    findRow_ = new QWidget(this);
    QHBoxLayout* find = RowLayout(findRow_);
    auto* findLabel = new QLabel(strings::FindLabel(), findRow_);
    FindField = new QLineEdit(findRow_);
    findLabel->setBuddy(FindField);
    ButtonNext = Button(strings::FindNext(), findRow_);
    ButtonPrevious = Button(strings::FindPrevious(), findRow_);
    ButtonClose = new QToolButton(findRow_);
    ButtonClose->setIcon(style()->standardIcon(QStyle::SP_TitleBarCloseButton));
    ButtonClose->setToolTip(strings::FindBarClose());
    ButtonClose->setAutoRaise(true);
    find->addWidget(findLabel);
    find->addWidget(FindField, 1);
    find->addWidget(ButtonNext);
    find->addWidget(ButtonPrevious);
    find->addWidget(ButtonClose);

    replaceRow_ = new QWidget(this);
    QHBoxLayout* replace = RowLayout(replaceRow_);
    auto* replaceLabel = new QLabel(strings::ReplaceLabel(), replaceRow_);
    ReplaceField = new QLineEdit(replaceRow_);
    replaceLabel->setBuddy(ReplaceField);
    ButtonReplace = Button(strings::ReplaceOne(), replaceRow_);
    ButtonReplaceAll = Button(strings::ReplaceAll(), replaceRow_);
    replace->addWidget(replaceLabel);
    replace->addWidget(ReplaceField, 1);
    replace->addWidget(ButtonReplace);
    replace->addWidget(ButtonReplaceAll);
    // The two fields line up.
    replaceLabel->setMinimumWidth(std::max(findLabel->sizeHint().width(), replaceLabel->sizeHint().width()));
    findLabel->setMinimumWidth(replaceLabel->minimumWidth());

    optionsRow_ = new QWidget(this);
    QHBoxLayout* options = RowLayout(optionsRow_);
    MatchCase = new QCheckBox(strings::FindMatchCase(), optionsRow_);
    WholeWords = new QCheckBox(strings::FindWholeWords(), optionsRow_);
    Status = new QLabel(optionsRow_);
    // Room for the longest thing it says, so that nothing moves.
    const QFontMetrics metrics(Status->font());
    Status->setMinimumWidth(std::max(metrics.horizontalAdvance(strings::FindNotFound()),
                                     metrics.horizontalAdvance(strings::ReplacedCount(9999))));
    options->addSpacing(findLabel->minimumWidth() + options->spacing());  // under the fields
    options->addWidget(MatchCase);
    options->addWidget(WholeWords);
    options->addStretch(1);
    options->addWidget(Status);

    lineRow_ = new QWidget(this);
    QHBoxLayout* line = RowLayout(lineRow_);
    auto* lineLabel = new QLabel(strings::GoToLineLabel(), lineRow_);
    LineField = new QSpinBox(lineRow_);
    LineField->setButtonSymbols(QAbstractSpinBox::NoButtons);
    lineLabel->setBuddy(LineField);
    ButtonGo = Button(strings::GoToLineGo(), lineRow_);
    line->addWidget(lineLabel);
    line->addWidget(LineField);
    line->addWidget(ButtonGo);
    line->addStretch(1);

    for (QWidget* row : {findRow_, replaceRow_, optionsRow_, lineRow_})
        rows->addWidget(row);

    for (QWidget* field : std::initializer_list<QWidget*>{FindField, ReplaceField, LineField})
        field->installEventFilter(this);
    connect(FindField, &QLineEdit::textEdited, this, &FindBar::FindAsTyped);
    connect(ButtonNext, &QPushButton::clicked, this, [this] { FindAgain(true); });
    connect(ButtonPrevious, &QPushButton::clicked, this, [this] { FindAgain(false); });
    connect(ButtonReplace, &QPushButton::clicked, this, &FindBar::ReplaceOneClick);
    connect(ButtonReplaceAll, &QPushButton::clicked, this, &FindBar::ReplaceAllClick);
    connect(ButtonGo, &QPushButton::clicked, this, &FindBar::GoClick);
    connect(ButtonClose, &QToolButton::clicked, this, &FindBar::Close);
    hide();
}

void FindBar::Open(Mode mode) {
    findRow_->setVisible(mode != Mode::GoToLine);
    replaceRow_->setVisible(mode == Mode::Replace);
    optionsRow_->setVisible(mode != Mode::GoToLine);
    lineRow_->setVisible(mode == Mode::GoToLine);
    Status->clear();
    show();
    if (mode == Mode::GoToLine) {
        LineField->setRange(1, std::max(1, edit_->lines()));
        int line = 0;
        int index = 0;
        edit_->getCursorPosition(&line, &index);
        LineField->setValue(line + 1);
        LineField->selectAll();
        LineField->setFocus(Qt::ShortcutFocusReason);
        return;
    }
    const QString selected = edit_->selectedText();
    if (!selected.isEmpty() && !selected.contains(u'\n') && !selected.contains(u'\r'))
        FindField->setText(selected);
    anchor_ = edit_->SendScintilla(QsciScintillaBase::SCI_GETSELECTIONSTART);
    FindField->selectAll();
    FindField->setFocus(Qt::ShortcutFocusReason);
}

void FindBar::Close() {
    hide();
    edit_->setFocus(Qt::OtherFocusReason);
}

void FindBar::Found(bool found) {
    if (found)
        Status->clear();
    else
        Status->setText(strings::FindNotFound());
}

void FindBar::FindAsTyped() {
    edit_->SendScintilla(QsciScintillaBase::SCI_SETEMPTYSELECTION, static_cast<unsigned long>(anchor_));
    if (FindField->text().isEmpty()) {
        Status->clear();
        return;
    }
    Found(edit_->FindText(FindField->text(), {MatchCase->isChecked(), WholeWords->isChecked()}, true));
}

void FindBar::FindAgain(bool forward) {
    if (FindField->text().isEmpty()) {
        Open(Mode::Find);
        return;
    }
    Found(edit_->FindText(FindField->text(), {MatchCase->isChecked(), WholeWords->isChecked()}, forward));
    anchor_ = edit_->SendScintilla(QsciScintillaBase::SCI_GETSELECTIONSTART);
}

void FindBar::ReplaceOneClick() {
    const ScriptTextEdit::FindOptions options{MatchCase->isChecked(), WholeWords->isChecked()};
    edit_->ReplaceFound(FindField->text(), ReplaceField->text(), options);
    Found(edit_->hasSelectedText());
}

void FindBar::ReplaceAllClick() {
    const ScriptTextEdit::FindOptions options{MatchCase->isChecked(), WholeWords->isChecked()};
    const int count = edit_->ReplaceAll(FindField->text(), ReplaceField->text(), options);
    if (count == 0)
        Status->setText(strings::FindNotFound());
    else
        Status->setText(strings::ReplacedCount(count));
}

void FindBar::GoClick() {
    LineField->interpretText();
    edit_->GoToLine(LineField->value());
    Close();
}

void FindBar::SetReadOnly(bool readOnly) {
    for (QWidget* widget : std::initializer_list<QWidget*>{ReplaceField, ButtonReplace, ButtonReplaceAll})
        widget->setEnabled(!readOnly);
}

bool FindBar::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress)
        return QFrame::eventFilter(watched, event);
    const auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() == Qt::Key_Escape) {
        Close();
        return true;
    }
    if (key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter)
        return QFrame::eventFilter(watched, event);
    if (watched == ReplaceField)
        ReplaceOneClick();
    else if (watched == LineField)
        GoClick();
    else
        FindAgain(!(key->modifiers() & Qt::ShiftModifier));
    return true;
}

void FindBar::keyPressEvent(QKeyEvent* event) {
    if (event->key() != Qt::Key_Escape) {
        QFrame::keyPressEvent(event);
        return;
    }
    Close();
    event->accept();
}

}  // namespace orvexa
