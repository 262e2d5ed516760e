#include "editor/ScriptTextEdit.h"

#include "editor/MethodCompletion.h"
#include "editor/ScriptLexer.h"

#include <QEvent>
#include <QFont>
#include <QKeyEvent>
#include <QPalette>

#include <algorithm>

namespace orvexa {
namespace {

// The editor's font: "Courier" (or the desktop's monospace face where it is
// missing) at a character height of 11 pixels. Scintilla sizes fonts in
// points, so the height is given in the points that make 11 pixels here.
QFont EditorFont(const QWidget* widget) {
    QFont font(QStringLiteral("Courier"));
    font.setStyleHint(QFont::TypeWriter);
    font.setPointSizeF(11.0 * 72.0 / std::max(1, widget->logicalDpiY()));
    return font;
}

// Between a (share 0) and b (share 1).
QColor Mix(const QColor& a, const QColor& b, double share) {
    return QColor::fromRgbF(static_cast<float>(a.redF() * (1 - share) + b.redF() * share),
                            static_cast<float>(a.greenF() * (1 - share) + b.greenF() * share),
                            static_cast<float>(a.blueF() * (1 - share) + b.blueF() * share));
}

// More lines indented with tabs than with spaces.
bool IndentedWithTabs(QStringView text) {
    qsizetype tabs = 0;
    qsizetype spaces = 0;
    bool lineStart = true;
    for (const QChar c : text) {
        if (lineStart && c == u'\t')
            ++tabs;
        else if (lineStart && c == u' ')
            ++spaces;
        lineStart = c == u'\n' || c == u'\r';
    }
    return tabs > spaces;
}

}  // namespace

ScriptTextEdit::ScriptTextEdit(QWidget* parent) : QsciScintilla(parent) {
    setUtf8(true);
    lexer_ = new ScriptLexer(this);
    const QFont font = EditorFont(this);
    lexer_->setDefaultFont(font);
    lexer_->SetLookFont(font);
    setLexer(lexer_);
    completion_ = new MethodCompletion(this);

    setWrapMode(WrapNone);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Send(SCI_SETSCROLLWIDTH, 1);
    Send(SCI_SETSCROLLWIDTHTRACKING, 1);

    // Margin 0: line numbers; margin 1: the error arrow; no fold margin.
    setMarginType(0, NumberMargin);
    setMarginLineNumbers(0, true);
    setMarginsFont(font);
    setMarginType(1, SymbolMargin);
    setMarginWidth(1, QStringLiteral("00"));
    setMarginMarkerMask(1, 1 << kErrorArrow);
    setMarginWidth(2, 0);
    markerDefine(RightArrow, kErrorArrow);
    markerDefine(Background, kErrorLine);
    UpdateLineNumberWidth();
    connect(this, &QsciScintilla::linesChanged, this, &ScriptTextEdit::UpdateLineNumberWidth);

    setCaretLineVisible(true);
    setBraceMatching(SloppyBraceMatch);
    setIndentationGuides(true);
    setIndentationWidth(kIndentWidth);
    setTabWidth(kIndentWidth);
    setIndentationsUseTabs(false);
    setTabIndents(true);
    setBackspaceUnindents(true);
    // Indentation, completion and call tips are this editor's own.
    setAutoIndent(false);
    setAutoCompletionSource(AcsNone);
    setCallTipsStyle(CallTipsNone);
    ApplyLook();
}

void ScriptTextEdit::SetModuleMethods(const QString& module, const MethodDocs& methods) {
    lexer_->SetModuleName(module);
    completion_->SetMethods(module, methods);
    recolor();
}

void ScriptTextEdit::ApplyLook() {
    const QPalette colours = palette();
    const QColor base = colours.color(QPalette::Base);
    const QColor text = colours.color(QPalette::Text);
    const bool dark = base.lightness() < 128;
    lexer_->ApplyLook(colours, greyed_);
    setCaretForegroundColor(text);
    // Translucent, so that a line marked for an error keeps its tint.
    setCaretLineBackgroundColor(colours.color(QPalette::Highlight));
    Send(SCI_SETCARETLINEBACKALPHA, dark ? 64 : 32);
    setMarginsBackgroundColor(colours.color(QPalette::Window));
    setMarginsForegroundColor(Mix(colours.color(QPalette::WindowText), colours.color(QPalette::Window), 0.4));
    setIndentationGuidesForegroundColor(Mix(text, base, 0.75));
    setIndentationGuidesBackgroundColor(base);
    setMatchedBraceForegroundColor(text);
    setMatchedBraceBackgroundColor(dark ? QColor(0x2f, 0x5f, 0x3a) : QColor(0xc8, 0xf0, 0xc8));
    setUnmatchedBraceForegroundColor(dark ? QColor(0xff, 0x70, 0x70) : QColor(0xd0, 0x00, 0x00));
    setSelectionBackgroundColor(colours.color(QPalette::Highlight));
    setSelectionForegroundColor(colours.color(QPalette::HighlightedText));
    setCallTipsBackgroundColor(colours.color(QPalette::ToolTipBase));
    setCallTipsForegroundColor(colours.color(QPalette::ToolTipText));
    setCallTipsHighlightColor(dark ? QColor(0x9c, 0xdc, 0xfe) : QColor(0x00, 0x50, 0x8a));
    setMarkerBackgroundColor(QColor(0xd0, 0x30, 0x30), kErrorArrow);
    setMarkerForegroundColor(QColor(0x80, 0x00, 0x00), kErrorArrow);
    setMarkerBackgroundColor(dark ? QColor(0x5a, 0x1e, 0x1e) : QColor(0xff, 0xd8, 0xd8), kErrorLine);
}

void ScriptTextEdit::changeEvent(QEvent* event) {
    QsciScintilla::changeEvent(event);
    if (event->type() == QEvent::PaletteChange)
        ApplyLook();
}

void ScriptTextEdit::UpdateLineNumberWidth() {
    int digits = 1;
    for (int n = std::max(1, lines()); n >= 10; n /= 10)
        ++digits;
    setMarginWidth(0, QString(std::max(digits, 2) + 1, u'9'));
}

void ScriptTextEdit::SetRawText(QStringView text) {
    const bool wasReadOnly = isReadOnly();
    setReadOnly(false);
    const QByteArray bytes = text.toUtf8();
    Send(SCI_CLEARALL);
    SendScintilla(SCI_APPENDTEXT, static_cast<uintptr_t>(bytes.size()), bytes.constData());
    Send(SCI_EMPTYUNDOBUFFER);
    Send(SCI_SETSAVEPOINT);
    Send(SCI_GOTOPOS, 0);
    markerDeleteAll();
    setIndentationsUseTabs(IndentedWithTabs(text));
    setReadOnly(wasReadOnly);
}

QString ScriptTextEdit::RawText() const {
    const long length = Send(SCI_GETLENGTH);
    const auto* bytes = reinterpret_cast<const char*>(Send(SCI_GETCHARACTERPOINTER));
    return bytes ? QString::fromUtf8(bytes, length) : QString();
}

void ScriptTextEdit::SetLineEnd(LineEnd end) {
    switch (end) {
    case LineEnd::Lf:
        setEolMode(EolUnix);
        break;
    case LineEnd::CrLf:
        setEolMode(EolWindows);
        break;
    case LineEnd::Cr:
        setEolMode(EolMac);
        break;
    }
}

void ScriptTextEdit::SetGreyed(bool greyed) {
    greyed_ = greyed;
    setReadOnly(greyed);
    ApplyLook();
    // At once, as the test run starts or ends.
    viewport()->repaint();
}

void ScriptTextEdit::keyPressEvent(QKeyEvent* event) {
    const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
    const int key = event->key();
    if (!isReadOnly() && !isListActive()) {
        if ((key == Qt::Key_Return || key == Qt::Key_Enter) &&
            (modifiers == Qt::NoModifier || modifiers == Qt::ShiftModifier)) {
            NewLineKeepingIndentation();
            event->accept();
            return;
        }
        if (key == Qt::Key_Backtab || (key == Qt::Key_Tab && modifiers == Qt::ShiftModifier)) {
            UnindentLines();
            event->accept();
            return;
        }
    }
    if (key == Qt::Key_Space && modifiers == Qt::ControlModifier) {
        completion_->Offer();
        event->accept();
        return;
    }
    QsciScintilla::keyPressEvent(event);
}

bool ScriptTextEdit::OpensBlock(long position) const {
    const long line = Send(SCI_LINEFROMPOSITION, static_cast<unsigned long>(position));
    const long start = Send(SCI_POSITIONFROMLINE, static_cast<unsigned long>(line));
    Send(SCI_COLOURISE, static_cast<unsigned long>(start), position);
    for (long i = position - 1; i >= start; --i) {
        const char c = static_cast<char>(Send(SCI_GETCHARAT, static_cast<unsigned long>(i)));
        const long style = Send(SCI_GETSTYLEAT, static_cast<unsigned long>(i));
        if (c == ' ' || c == '\t' || style == ScriptLexer::Comment)
            continue;
        return c == ':' && style == ScriptLexer::Operator;
    }
    return false;
}

void ScriptTextEdit::NewLineKeepingIndentation() {
    const long start = Send(SCI_GETSELECTIONSTART);
    const long line = Send(SCI_LINEFROMPOSITION, static_cast<unsigned long>(start));
    const long column = Send(SCI_GETCOLUMN, static_cast<unsigned long>(start));
    long indentation = std::min(Send(SCI_GETLINEINDENTATION, static_cast<unsigned long>(line)), column);
    if (OpensBlock(start))
        indentation = (indentation / kIndentWidth + 1) * kIndentWidth;
    Send(SCI_BEGINUNDOACTION);
    Send(SCI_NEWLINE);
    const long newLine = Send(SCI_LINEFROMPOSITION, static_cast<unsigned long>(Send(SCI_GETCURRENTPOS)));
    Send(SCI_SETLINEINDENTATION, static_cast<unsigned long>(newLine), indentation);
    Send(SCI_GOTOPOS, static_cast<unsigned long>(Send(SCI_GETLINEINDENTPOSITION, static_cast<unsigned long>(newLine))));
    Send(SCI_ENDUNDOACTION);
}

void ScriptTextEdit::UnindentLines() {
    const long first = Send(SCI_LINEFROMPOSITION, static_cast<unsigned long>(Send(SCI_GETSELECTIONSTART)));
    const long last = Send(SCI_LINEFROMPOSITION, static_cast<unsigned long>(Send(SCI_GETSELECTIONEND)));
    if (last > first) {
        Send(SCI_BACKTAB);  // every selected line, as Tab indents them
        return;
    }
    const long indentation = Send(SCI_GETLINEINDENTATION, static_cast<unsigned long>(first));
    if (indentation == 0)
        return;
    const long step = indentation % kIndentWidth != 0 ? indentation % kIndentWidth : kIndentWidth;
    Send(SCI_SETLINEINDENTATION, static_cast<unsigned long>(first), indentation - step);
}

long ScriptTextEdit::Search(const QByteArray& text, FindOptions options, long from, long to) const {
    unsigned long flags = 0;
    if (options.matchCase)
        flags |= SCFIND_MATCHCASE;
    if (options.wholeWords)
        flags |= SCFIND_WHOLEWORD;
    Send(SCI_SETSEARCHFLAGS, flags);
    Send(SCI_SETTARGETSTART, static_cast<unsigned long>(from));
    Send(SCI_SETTARGETEND, static_cast<unsigned long>(to));
    return SendScintilla(SCI_SEARCHINTARGET, static_cast<uintptr_t>(text.size()), text.constData());
}

bool ScriptTextEdit::FindText(const QString& text, FindOptions options, bool forward) {
    const QByteArray bytes = text.toUtf8();
    if (bytes.isEmpty())
        return false;
    const long length = Send(SCI_GETLENGTH);
    long found = -1;
    if (forward) {
        found = Search(bytes, options, Send(SCI_GETSELECTIONEND), length);
        if (found < 0)
            found = Search(bytes, options, 0, length);
    } else {
        found = Search(bytes, options, Send(SCI_GETSELECTIONSTART), 0);
        if (found < 0)
            found = Search(bytes, options, length, 0);
    }
    if (found < 0)
        return false;
    const long end = Send(SCI_GETTARGETEND);
    Send(SCI_ENSUREVISIBLEENFORCEPOLICY,
         static_cast<unsigned long>(Send(SCI_LINEFROMPOSITION, static_cast<unsigned long>(found))));
    Send(SCI_SETSEL, static_cast<unsigned long>(found), end);
    return true;
}

bool ScriptTextEdit::ReplaceFound(const QString& text, const QString& replacement, FindOptions options) {
    const QByteArray bytes = text.toUtf8();
    const long start = Send(SCI_GETSELECTIONSTART);
    const long end = Send(SCI_GETSELECTIONEND);
    if (isReadOnly() || bytes.isEmpty() || Search(bytes, options, start, end) != start ||
        Send(SCI_GETTARGETEND) != end) {
        FindText(text, options, true);
        return false;
    }
    const QByteArray with = replacement.toUtf8();
    SendScintilla(SCI_REPLACETARGET, static_cast<uintptr_t>(with.size()), with.constData());
    const long after = Send(SCI_GETTARGETEND);
    Send(SCI_SETSEL, static_cast<unsigned long>(after), after);
    FindText(text, options, true);
    return true;
}

int ScriptTextEdit::ReplaceAll(const QString& text, const QString& replacement, FindOptions options) {
    const QByteArray bytes = text.toUtf8();
    if (isReadOnly() || bytes.isEmpty())
        return 0;
    const QByteArray with = replacement.toUtf8();
    int count = 0;
    long from = 0;
    Send(SCI_BEGINUNDOACTION);
    while (Search(bytes, options, from, Send(SCI_GETLENGTH)) >= 0) {
        SendScintilla(SCI_REPLACETARGET, static_cast<uintptr_t>(with.size()), with.constData());
        from = Send(SCI_GETTARGETEND);
        ++count;
    }
    Send(SCI_ENDUNDOACTION);
    return count;
}

void ScriptTextEdit::GoToLine(int line) {
    const long index = std::clamp<long>(line, 1, std::max(1, lines())) - 1;
    const long first = Send(SCI_GETFIRSTVISIBLELINE);
    const long onScreen = std::max(1L, Send(SCI_LINESONSCREEN));
    Send(SCI_ENSUREVISIBLEENFORCEPOLICY, static_cast<unsigned long>(index));
    Send(SCI_GOTOLINE, static_cast<unsigned long>(index));
    // A line that was out of sight comes to a third of the way down, with
    // the lines before it to read.
    if (index < first || index >= first + onScreen)
        Send(SCI_SETFIRSTVISIBLELINE, static_cast<unsigned long>(std::max(0L, index - onScreen / 3)));
}

void ScriptTextEdit::MarkErrorLine(int line) {
    markerDeleteAll(kErrorArrow);
    markerDeleteAll(kErrorLine);
    if (line < 1 || line > lines())
        return;
    markerAdd(line - 1, kErrorArrow);
    markerAdd(line - 1, kErrorLine);
}

int ScriptTextEdit::MarkedErrorLine() const {
    const long line = Send(SCI_MARKERNEXT, 0, 1L << kErrorArrow);
    return line < 0 ? 0 : static_cast<int>(line) + 1;
}

}  // namespace orvexa
