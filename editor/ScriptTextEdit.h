#pragma once

#include "core/MethodDoc.h"
#include "core/ScriptText.h"

#include <Qsci/qsciscintilla.h>

#include <QString>

namespace orvexa {

class MethodCompletion;
class ScriptLexer;

// The editor's text control: a Scintilla editor styled by ScriptLexer, in
// the editor's monospace font and the palette's colours (light or dark),
// with line numbers, the current line marked, matching brackets and
// indentation guides.
//
// The text is held as it is: every character, NULs and line ends of every
// kind included, so that a file's text comes back unchanged; a new line
// takes the line end SetLineEnd gives. Indentation follows Python's needs:
// Return keeps the line's indentation and adds a level after a line whose
// code ends in ":"; Tab and Shift+Tab indent and unindent the selected lines
// (Shift+Tab also the caret's line), Backspace in the indentation removes a
// level. A level is 4 columns, written as spaces, or as tabs in a text that
// is indented with tabs.
class ScriptTextEdit : public QsciScintilla {
    Q_OBJECT
public:
    // The markers of a line an error was reported at: an arrow in the
    // margin and a tint behind the line.
    static constexpr int kErrorArrow = 0;
    static constexpr int kErrorLine = 1;
    static constexpr int kIndentWidth = 4;

    struct FindOptions {
        bool matchCase = false;
        bool wholeWords = false;
    };

    explicit ScriptTextEdit(QWidget* parent = nullptr);

    // Replaces the whole text: nothing to undo, unmodified, the caret at the
    // start, no line marked. Indentation follows the text's own (tabs when
    // more of its lines are indented with tabs than with spaces).
    void SetRawText(QStringView text);
    // The whole text, every character as it is.
    QString RawText() const;
    void SetLineEnd(LineEnd end);
    // Read-only with all text mid grey (a test run), or editable in colour.
    void SetGreyed(bool greyed);
    bool IsGreyed() const { return greyed_; }

    // What "module." offers to complete, and the call tips of its methods.
    void SetModuleMethods(const QString& module, const MethodDocs& methods);
    MethodCompletion& Completion() const { return *completion_; }

    // Selects the next match of text after the selection (or the previous
    // one before it), from the other end of the text when there is none
    // that way. False when the text holds none.
    bool FindText(const QString& text, FindOptions options, bool forward);
    // Replaces the selection when it is a match of text, then selects the
    // next match. False when the selection was no match.
    bool ReplaceFound(const QString& text, const QString& replacement, FindOptions options);
    // Replaces every match, as one step to undo; the number replaced.
    int ReplaceAll(const QString& text, const QString& replacement, FindOptions options);
    // Puts the caret at the start of a line (counted from 1, kept within the
    // text) and scrolls it into view.
    void GoToLine(int line);
    // Marks a line (from 1) as the one an error was reported at; one at a
    // time. Editing moves the mark with its line.
    void MarkErrorLine(int line);
    // The line marked, from 1; 0 when none is.
    int MarkedErrorLine() const;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    long Send(unsigned int message, unsigned long wParam = 0, long lParam = 0) const {
        return SendScintilla(message, wParam, lParam);
    }
    void ApplyLook();
    void UpdateLineNumberWidth();
    void NewLineKeepingIndentation();
    void UnindentLines();
    // Whether the code before `position` on its line ends in ":" (comments
    // and blanks after it aside).
    bool OpensBlock(long position) const;
    // The start of the next match in [from, to) (backwards when from > to),
    // with the target set to it; -1 when there is none.
    long Search(const QByteArray& text, FindOptions options, long from, long to) const;

    ScriptLexer* lexer_ = nullptr;
    MethodCompletion* completion_ = nullptr;
    bool greyed_ = false;
};

}  // namespace orvexa
