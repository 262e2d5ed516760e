#include "app/KeyNameWindow.h"

#include "app/QtKeyCombination.h"
#include "binds/HotkeyNames.h"
#include "binds/KeyNames.h"
#include "core/Strings.h"
#include "ui/FormFont.h"

#include <QClipboard>
#include <QGridLayout>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace orvexa {
namespace {

// A read-only field that never takes the focus, so that every key goes to
// the window; what it shows is copied with its button.
QLineEdit* NameField(QWidget* parent, const QString& objectName) {
    auto* field = new QLineEdit(parent);
    field->setObjectName(objectName);
    field->setReadOnly(true);
    field->setFocusPolicy(Qt::NoFocus);
    return field;
}

QPushButton* CopyButton(QWidget* parent, const QString& objectName, QLineEdit* field) {
    auto* button = new QPushButton(strings::KeyNamesCopy(), parent);
    button->setObjectName(objectName);
    button->setFocusPolicy(Qt::NoFocus);
    button->setEnabled(false);
    QObject::connect(button, &QPushButton::clicked, field,
                     [field] { QGuiApplication::clipboard()->setText(field->text()); });
    QObject::connect(field, &QLineEdit::textChanged, button,
                     [button](const QString& text) { button->setEnabled(!text.isEmpty()); });
    return button;
}

}  // namespace

TKeyNameWindow::TKeyNameWindow(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("KeyNameWindow"));
    setWindowTitle(strings::KeyNamesTitle());
    ui::ApplyFormFont(this);
    setFocusPolicy(Qt::StrongFocus);

    auto* layout = new QGridLayout(this);
    auto* hint = new QLabel(strings::KeyNamesHint(), this);
    hint->setWordWrap(true);
    layout->addWidget(hint, 0, 0, 1, 3);
    LabelPressed = new QLabel(this);
    LabelPressed->setObjectName(QStringLiteral("LabelPressed"));
    layout->addWidget(LabelPressed, 1, 0, 1, 3);

    EditKeyName = NameField(this, QStringLiteral("EditKeyName"));
    ButtonCopyKey = CopyButton(this, QStringLiteral("ButtonCopyKey"), EditKeyName);
    layout->addWidget(new QLabel(strings::KeyNamesKey(), this), 2, 0);
    layout->addWidget(EditKeyName, 2, 1);
    layout->addWidget(ButtonCopyKey, 2, 2);

    EditHotkeyName = NameField(this, QStringLiteral("EditHotkeyName"));
    ButtonCopyHotkey = CopyButton(this, QStringLiteral("ButtonCopyHotkey"), EditHotkeyName);
    layout->addWidget(new QLabel(strings::KeyNamesHotkey(), this), 3, 0);
    layout->addWidget(EditHotkeyName, 3, 1);
    layout->addWidget(ButtonCopyHotkey, 3, 2);
    layout->setColumnStretch(1, 1);
    layout->setColumnMinimumWidth(1, fontMetrics().horizontalAdvance(QStringLiteral("CONTROL-ALT-SHIFT-ENTER")));
}

void TKeyNameWindow::ShowNamesOf(int key, Qt::KeyboardModifiers modifiers) {
    if (IsModifierKey(key))
        return;
    const std::optional<platform::KeyCombination> combination = KeyCombinationOf(key, modifiers);
    const QString keyName = combination ? KeyNameOf(*combination) : QString();
    const QString hotkeyName = combination ? HotkeyName(*combination) : QString();
    const QString pressed = QKeySequence(QKeyCombination(modifiers & ~Qt::KeypadModifier, static_cast<Qt::Key>(key)))
                                .toString(QKeySequence::NativeText);
    LabelPressed->setText(strings::KeyNamesPressed(pressed));
    EditKeyName->setText(keyName);
    EditKeyName->setPlaceholderText(keyName.isEmpty() ? strings::KeyNamesNoKeyName() : QString());
    EditHotkeyName->setText(hotkeyName);
    EditHotkeyName->setPlaceholderText(hotkeyName.isEmpty() ? strings::KeyNamesNoHotkeyName() : QString());
}

void TKeyNameWindow::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    setFocus();
}

bool TKeyNameWindow::event(QEvent* event) {
    // Before the dialog's own keys (Escape closes, Tab moves the focus) and
    // before any shortcut: every key press is a combination to name.
    if (event->type() == QEvent::ShortcutOverride) {
        event->accept();
        return true;
    }
    if (event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        ShowNamesOf(key->key(), key->modifiers());
        return true;
    }
    return QDialog::event(event);
}

}  // namespace orvexa
