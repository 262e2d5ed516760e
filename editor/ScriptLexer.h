#pragma once

#include <Qsci/qscilexercustom.h>

#include <QByteArray>
#include <QFont>

class QPalette;

namespace orvexa {

// Styles a script file as the program reads it. The built-in Python lexer
// reads a file as one program; a script is not one: its header lines and
// its long description in free text (where an apostrophe opens no string)
// come before its first bind header, and each bind section's code is a
// program of its own, from its "//BIND" line to the next. So this lexer knows the sections, and reads each section's
// code as Python's tokenizer does (strings with their prefixes, escapes, triple quotes and f-string fields; comments
// only outside strings; keywords, numbers, definitions, decorators).
//
// Each line's state at its end (the section kind, the long description, a
// string still open) is kept as the line's Scintilla line state, so that
// styling starts again at any line.
class ScriptLexer : public QsciLexerCustom {
    Q_OBJECT
public:
    enum Style {
        Default = 0,
        Comment,
        Number,
        String,
        UnclosedString,
        Keyword,
        Definition,  // the name after def or class
        Operator,
        Decorator,
        ModuleName,   // the module scripts import
        Header,       // //SHORTDESC:, //LONGDESC: and //ENDLONGDESC lines
        Description,  // the long description's lines
        BindHeader,   // a //BIND line
        kStyleCount
    };

    explicit ScriptLexer(QObject* parent = nullptr);

    const char* language() const override { return "Orvexa script"; }
    QString description(int style) const override;
    int braceStyle() const override { return Operator; }
    void styleText(int start, int end) override;

    // The name scripts import the automation module by, shown apart.
    void SetModuleName(const QString& name) { moduleName_ = name.toUtf8(); }
    // Colours for the palette's light or dark base, or all text mid grey
    // (a test run); the font of every style.
    void ApplyLook(const QPalette& palette, bool greyed);
    void SetLookFont(const QFont& font);

private:
    QByteArray moduleName_;
};

}  // namespace orvexa
