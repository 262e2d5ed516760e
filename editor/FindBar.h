#pragma once

#include <QFrame>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QToolButton;

namespace orvexa {

class ScriptTextEdit;

// The bar below the editor's text for finding (its first row, and the row
// of options), replacing (a second row) and going to a line (a row alone). Typing in the find
// field finds as it goes; Return finds the next match (Shift+Return the
// previous), replaces in the replace field, goes in the line field; Escape
// closes the bar and gives the text the keyboard again.
class FindBar : public QFrame {
    Q_OBJECT
public:
    enum class Mode { Find, Replace, GoToLine };

    explicit FindBar(ScriptTextEdit* edit, QWidget* parent = nullptr);

    // Shows the rows of the mode with the keyboard in its first field; the
    // find field takes the selected text when it lies within one line.
    void Open(Mode mode);
    void Close();
    // The next or previous match of the find field's text; with nothing to
    // find, the bar opens to ask for it.
    void FindAgain(bool forward);
    void ReplaceOneClick();
    void ReplaceAllClick();
    void GoClick();
    // During a test run the text cannot change: nothing is replaced.
    void SetReadOnly(bool readOnly);

    QLineEdit* FindField = nullptr;
    QLineEdit* ReplaceField = nullptr;
    QSpinBox* LineField = nullptr;
    QCheckBox* MatchCase = nullptr;
    QCheckBox* WholeWords = nullptr;
    QPushButton* ButtonNext = nullptr;
    QPushButton* ButtonPrevious = nullptr;
    QPushButton* ButtonReplace = nullptr;
    QPushButton* ButtonReplaceAll = nullptr;
    QPushButton* ButtonGo = nullptr;
    QToolButton* ButtonClose = nullptr;
    // "Not found", or how many were replaced.
    QLabel* Status = nullptr;

protected:
    // Return and Escape in the fields.
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void FindAsTyped();
    void Found(bool found);

    ScriptTextEdit* edit_;
    QWidget* findRow_ = nullptr;
    QWidget* replaceRow_ = nullptr;
    QWidget* optionsRow_ = nullptr;
    QWidget* lineRow_ = nullptr;
    // Where finding as the text is typed starts from.
    long anchor_ = 0;
};

}  // namespace orvexa
