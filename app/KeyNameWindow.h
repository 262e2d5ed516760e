#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

namespace orvexa {

// The key-name window (Help > Key Names): shows the KEY name and the HOTKEY
// name of each key combination pressed while it has the focus, to be copied
// into a script; a combination that has no name of a kind says so. Every
// key, Tab and Escape included, is taken as a combination to name; a
// modifier pressed on its own leaves the last combination shown.
class TKeyNameWindow : public QDialog {
    Q_OBJECT
public:
    explicit TKeyNameWindow(QWidget* parent = nullptr);

    QLabel* LabelPressed = nullptr;
    QLineEdit* EditKeyName = nullptr;
    QLineEdit* EditHotkeyName = nullptr;
    QPushButton* ButtonCopyKey = nullptr;
    QPushButton* ButtonCopyHotkey = nullptr;

    // Shows the names of a press of key (a Qt::Key) with the modifiers.
    void ShowNamesOf(int key, Qt::KeyboardModifiers modifiers);

protected:
    bool event(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
};

}  // namespace orvexa
