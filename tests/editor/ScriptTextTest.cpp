// The editor's text control: how a script is styled, the indentation rules,
// and the completion of the module's methods with their call tips.
#include "editor/MethodCompletion.h"
#include "editor/ScriptLexer.h"
#include "editor/ScriptTextEdit.h"
#include "tests/support/QtPrinters.h"

#include <gtest/gtest.h>

#include <QTest>

using namespace orvexa;

namespace {

using Sci = QsciScintillaBase;

class Text : public ::testing::Test {
protected:
    void SetUp() override {
        edit.SetModuleMethods(QStringLiteral("orvex"),
                              {{QStringLiteral("GetRGB"), QStringLiteral("x, y"), QStringLiteral("the pixel's colour")},
                               {QStringLiteral("MouseX"), QString(), QStringLiteral("x")}});
        edit.show();
    }
    void Load(const QString& text) {
        edit.SetRawText(text);
        edit.SendScintilla(Sci::SCI_COLOURISE, 0, -1L);
    }
    long Send(unsigned int message, unsigned long wParam = 0, long lParam = 0) const {
        return edit.SendScintilla(message, wParam, lParam);
    }
    // The style at the first byte of `what` in a line (from 0).
    int StyleOf(int line, const QString& what) const {
        const QString text = edit.text(line);
        const qsizetype at = text.indexOf(what);
        if (at < 0)
            return -1;
        const long position = Send(Sci::SCI_POSITIONFROMLINE, static_cast<unsigned long>(line)) +
                              static_cast<long>(text.left(at).toUtf8().size());
        return static_cast<int>(Send(Sci::SCI_GETSTYLEAT, static_cast<unsigned long>(position)));
    }
    QColor Colour(unsigned int message, int style) const {
        const long bgr = Send(message, static_cast<unsigned long>(style));
        return QColor(static_cast<int>(bgr & 0xff), static_cast<int>((bgr >> 8) & 0xff),
                      static_cast<int>((bgr >> 16) & 0xff));
    }
    bool ListShown() const { return Send(Sci::SCI_AUTOCACTIVE) != 0; }
    bool TipShown() const { return Send(Sci::SCI_CALLTIPACTIVE) != 0; }

    ScriptTextEdit edit;
};

}  // namespace

TEST_F(Text, HeaderLinesDescriptionBindHeadersAndCodeAreStyledApart) {
    Load(
        QStringLiteral("//SHORTDESC: Don't stop\n"               // 0
                       "//LONGDESC:\n"                           // 1
                       "It's free text: \"\"\" opens nothing\n"  // 2
                       "//ENDLONGDESC\n"                         // 3
                       "notes before the binds\n"                // 4
                       "//BIND MAIN  # first\n"                  // 5
                       "import orvex\n"                          // 6
                       "s = '''two\n"                            // 7
                       "//SHORTDESC: inside the string'''\n"     // 8
                       "colour = \"#FF0000\"  # red\n"           // 9
                       "def go(x): return 0x1F + 2.5e-3\n"       // 10
                       "#//BIND KEY A\n"                         // 11
                       "//BIND TIMER 500\n"                      // 12
                       "orvex.Sleep(10)\n"                       // 13
                       "x = f'{x}''' + '''never closed\n"        // 14
                       "//BIND KEY B\n"                          // 15
                       "y = 1\n"));                              // 16
    struct Case {
        int line;
        const char* what;
        int style;
    };
    const Case cases[] = {
        {0, "//SHORTDESC", ScriptLexer::Header}, {0, "Don't", ScriptLexer::Header},
        {1, "//LONGDESC", ScriptLexer::Header},  {2, "It's", ScriptLexer::Description},
        {2, "\"\"\"", ScriptLexer::Description}, {3, "//ENDLONGDESC", ScriptLexer::Header},
        {4, "notes", ScriptLexer::Default},      {5, "//BIND", ScriptLexer::BindHeader},
        {5, "# first", ScriptLexer::BindHeader}, {6, "import", ScriptLexer::Keyword},
        {6, "orvex", ScriptLexer::ModuleName},   {7, "'''", ScriptLexer::String},
        {8, "//SHORTDESC", ScriptLexer::String}, {9, "colour", ScriptLexer::Default},
        {9, "#FF0000", ScriptLexer::String},     {9, "# red", ScriptLexer::Comment},
        {10, "def", ScriptLexer::Keyword},       {10, "go", ScriptLexer::Definition},
        {10, "return", ScriptLexer::Keyword},    {10, "0x1F", ScriptLexer::Number},
        {10, "+", ScriptLexer::Operator},        {10, "2.5e-3", ScriptLexer::Number},
        {11, "#//BIND", ScriptLexer::Comment},   {12, "//BIND", ScriptLexer::BindHeader},
        {13, "Sleep", ScriptLexer::Default},     {13, "10", ScriptLexer::Number},
        {14, "f'", ScriptLexer::String},         {14, "never", ScriptLexer::String},
        {15, "//BIND", ScriptLexer::BindHeader}, {16, "y", ScriptLexer::Default},
    };
    for (const Case& c : cases)
        EXPECT_EQ(StyleOf(c.line, QString::fromUtf8(c.what)), c.style) << "line " << c.line << ": " << c.what;
}

TEST_F(Text, ColoursFollowALightOrADarkPaletteAndHeadersStandOutOnABand) {
    Load(QStringLiteral("//BIND MAIN\nx = 1\n"));
    for (const bool dark : {false, true}) {
        QPalette palette = edit.palette();
        palette.setColor(QPalette::Base, dark ? QColor(0x20, 0x20, 0x20) : QColor(0xff, 0xff, 0xff));
        palette.setColor(QPalette::Text, dark ? QColor(0xe0, 0xe0, 0xe0) : QColor(0x10, 0x10, 0x10));
        edit.setPalette(palette);
        SCOPED_TRACE(dark ? "dark" : "light");
        EXPECT_EQ(Colour(Sci::SCI_STYLEGETBACK, ScriptLexer::Default), palette.color(QPalette::Base));
        EXPECT_EQ(Colour(Sci::SCI_STYLEGETFORE, ScriptLexer::Default), palette.color(QPalette::Text));
        const QColor band = Colour(Sci::SCI_STYLEGETBACK, ScriptLexer::BindHeader);
        EXPECT_NE(band, palette.color(QPalette::Base));
        EXPECT_EQ(band.lightness() < 128, dark);
        EXPECT_TRUE(Send(Sci::SCI_STYLEGETEOLFILLED, ScriptLexer::BindHeader));
        // Every style's text reads on its background.
        for (int style = 0; style < ScriptLexer::kStyleCount; ++style) {
            const int fore = Colour(Sci::SCI_STYLEGETFORE, style).lightness();
            const int back = Colour(Sci::SCI_STYLEGETBACK, style).lightness();
            EXPECT_GE(std::abs(fore - back), 70) << "style " << style;
        }
    }
}

TEST_F(Text, ReturnTabShiftTabAndBackspaceFollowPythonsIndentation) {
    struct Case {
        const char* text;
        int caret;  // -1: the end; -2: everything selected
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        const char* expected;
    };
    const Case cases[] = {
        {"if x:", -1, Qt::Key_Return, Qt::NoModifier, "if x:\n    "},
        {"    x = 1", -1, Qt::Key_Return, Qt::NoModifier, "    x = 1\n    "},
        {"    if x:  # why", -1, Qt::Key_Return, Qt::NoModifier, "    if x:  # why\n        "},
        {"if x: y", 5, Qt::Key_Return, Qt::NoModifier, "if x:\n    y"},
        {"s = 'a:'", -1, Qt::Key_Return, Qt::NoModifier, "s = 'a:'\n"},
        {"//LONGDESC:", -1, Qt::Key_Return, Qt::NoModifier, "//LONGDESC:\n"},
        {"\tif x:\n\t\ty", 6, Qt::Key_Return, Qt::NoModifier, "\tif x:\n\t\t\n\t\ty"},
        {"\tx", 0, Qt::Key_Tab, Qt::NoModifier, "\t\tx"},
        {"a\n  b\n", -2, Qt::Key_Tab, Qt::NoModifier, "    a\n      b\n"},
        {"    a\n      b\n", -2, Qt::Key_Backtab, Qt::ShiftModifier, "a\n  b\n"},
        {"        x = 1", 10, Qt::Key_Backtab, Qt::ShiftModifier, "    x = 1"},
        {"      x", 6, Qt::Key_Backtab, Qt::ShiftModifier, "    x"},
        {"        x", 8, Qt::Key_Backspace, Qt::NoModifier, "    x"},
    };
    for (const Case& c : cases) {
        Load(QString::fromUtf8(c.text));
        if (c.caret == -2)
            edit.selectAll();
        else
            Send(Sci::SCI_GOTOPOS, c.caret == -1 ? static_cast<unsigned long>(Send(Sci::SCI_GETLENGTH))
                                                 : static_cast<unsigned long>(c.caret));
        QTest::keyClick(&edit, c.key, c.modifiers);
        EXPECT_EQ(edit.RawText(), QString::fromUtf8(c.expected)) << c.text;
    }
    // A new line and its indentation go in one step.
    Load(QStringLiteral("if x:"));
    Send(Sci::SCI_DOCUMENTEND);
    QTest::keyClick(&edit, Qt::Key_Return);
    edit.undo();
    EXPECT_EQ(edit.RawText(), QStringLiteral("if x:"));
}

TEST_F(Text, TheModulesMethodsAreOfferedAfterItsNameAndTheirArgumentsShownInACall) {
    Load(QString());
    QTest::keyClicks(&edit, QStringLiteral("x = orvex."));
    ASSERT_TRUE(ListShown());
    EXPECT_EQ(edit.Completion().Items(),
              (QStringList{QStringLiteral("GetRGB(x, y)  the pixel's colour"), QStringLiteral("MouseX()      x")}));
    // Letter case does not matter; the name is written with its bracket.
    QTest::keyClicks(&edit, QStringLiteral("get"));
    QTest::keyClick(&edit, Qt::Key_Return);
    EXPECT_EQ(edit.RawText(), QStringLiteral("x = orvex.GetRGB("));
    EXPECT_TRUE(TipShown());
    QTest::keyClicks(&edit, QStringLiteral("1, (2)"));
    EXPECT_TRUE(TipShown()) << "inside the call";
    QTest::keyClicks(&edit, QStringLiteral(")"));
    EXPECT_FALSE(TipShown()) << "the call is closed";

    // A method without arguments gets both brackets; no tip.
    QTest::keyClick(&edit, Qt::Key_Return);
    QTest::keyClicks(&edit, QStringLiteral("orvex.Mo"));
    QTest::keyClick(&edit, Qt::Key_Tab);
    EXPECT_TRUE(edit.RawText().endsWith(QStringLiteral("\norvex.MouseX()")));
    EXPECT_FALSE(TipShown());

    // Typing the call shows the tip too; moving out of it hides it.
    QTest::keyClick(&edit, Qt::Key_Return);
    QTest::keyClicks(&edit, QStringLiteral("orvex.GetRGB("));
    EXPECT_TRUE(TipShown());
    QTest::keyClick(&edit, Qt::Key_Home);
    EXPECT_TRUE(QTest::qWaitFor([this] { return !TipShown(); }, 5000));

    // Not in a string or a comment, not after another name.
    for (const char* typed : {"'orvex.", "# orvex.", "myorvex.", "x.orvex."}) {
        Load(QString());
        QTest::keyClicks(&edit, QString::fromUtf8(typed));
        EXPECT_FALSE(ListShown()) << typed;
    }
}
