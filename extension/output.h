#pragma once

#include <QWidget>

class QPlainTextEdit;
class QPushButton;
class QFrame;

namespace orvexa {

// The Output window: everything scripts print and every traceback. Closing
// it only hides it; lines keep arriving while it is hidden.
class TFormOutput : public QWidget {
    Q_OBJECT
public:
    explicit TFormOutput(QWidget* parent = nullptr);

    QPlainTextEdit* RichEditOutput = nullptr;
    QFrame* Panel1 = nullptr;
    QPushButton* ButtonClose = nullptr;
    QPushButton* ButtonClear = nullptr;

    void ButtonCloseClick();
    void ButtonClearClick();

    // Shows the window in front, then gives the focus back to the control of
    // the window that asked for it.
    void ShowFor(QWidget* asker);

protected:
    void closeEvent(QCloseEvent* event) override;
};

}  // namespace orvexa
