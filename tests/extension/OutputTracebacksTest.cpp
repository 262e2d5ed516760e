// The Output window's tracebacks: the script places their lines name, a
// double-click on such a line, and syntax errors told with their place.
#include "extension/OutputTracebacks.h"
#include "extension/PythonGUIInputOutput.h"
#include "extension/output.h"
#include "tests/support/QtPrinters.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QPlainTextEdit>
#include <QSignalSpy>
#include <QTest>
#include <QTextBlock>

using namespace orvexa;

TEST(ScriptPlaceIn, ReadsTheScriptFileAndLineOfATracebackLine) {
    struct Case {
        const char16_t* line;
        std::optional<ScriptPlace> place;
    };
    const Case cases[] = {
        {u"  File \"/home/me/Orvexa/x.orx\", line 8, in <module>", ScriptPlace{"/home/me/Orvexa/x.orx", 8}},
        {u"  File \"/home/me/a b/Gr\u00fc\u00dfe.ORX\", line 12", ScriptPlace{"/home/me/a b/Gr\u00fc\u00dfe.ORX", 12}},
        {u"File \"x.orx\", line 1, in f", ScriptPlace{"x.orx", 1}},
        {u"  File \"/usr/lib/python3.11/re.py\", line 3, in f", std::nullopt},  // no script file
        {u"  File \"<string>\", line 2, in <module>", std::nullopt},
        {u"  File \"/a/x.orx\", line 0", std::nullopt},
        {u"  File \"/a/x.orx\", line 99999999999", std::nullopt},
        {u"    raise ValueError('File \"x.orx\", line 3')", std::nullopt},  // the source line shown
        {u"ValueError: File \"/a/x.orx\", line 3, in <module>", std::nullopt},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ScriptPlaceIn(QStringView(c.line)), c.place) << QString::fromUtf16(c.line).toStdString();
}

namespace {

class Tracebacks : public ::testing::Test {
protected:
    void SetUp() override {
        io.SetOutput(form.RichEditOutput);
        form.resize(500, 300);
        form.show();
    }
    // Written as a script's output is, and shown once the event loop turned.
    void Write(const QString& text) {
        io.Write(text);
        QCoreApplication::sendPostedEvents();
    }
    // The middle of the text of a line of the control (from 0).
    QPoint PointOnLine(int line) const {
        QTextCursor cursor(form.RichEditOutput->document()->findBlockByNumber(line));
        cursor.movePosition(QTextCursor::EndOfBlock);
        const QRect end = form.RichEditOutput->cursorRect(cursor);
        return {end.left() / 2, end.center().y()};
    }
    QWidget* Viewport() const { return form.RichEditOutput->viewport(); }

    TFormOutput form;
    TPythonGUIInputOutput io;
    OutputTracebacks tracebacks{form.RichEditOutput};
    QSignalSpy activated{&tracebacks, &OutputTracebacks::LineActivated};
    QSignalSpy syntaxErrors{&tracebacks, &OutputTracebacks::SyntaxErrorAt};
};

}  // namespace

TEST_F(Tracebacks, ADoubleClickOnALineNamingAScriptPlaceAsksForIt) {
    // The last line names a place (a syntax error's report begins so): a
    // point below it is on no line.
    Write(
        QStringLiteral("Traceback (most recent call last):\n"
                       "  File \"/usr/lib/python3.11/re.py\", line 3, in f\n"
                       "NameError: name 'x' is not defined\n"
                       "  File \"/s/a.orx\", line 8\n"));
    for (int line : {0, 1, 2})
        QTest::mouseDClick(Viewport(), Qt::LeftButton, {}, PointOnLine(line));
    QTest::mouseDClick(Viewport(), Qt::LeftButton, {}, {PointOnLine(3).x(), Viewport()->height() - 5});
    EXPECT_EQ(activated.count(), 0);
    QTest::mouseMove(Viewport(), PointOnLine(3));
    EXPECT_EQ(Viewport()->cursor().shape(), Qt::PointingHandCursor);
    QTest::mouseDClick(Viewport(), Qt::LeftButton, {}, PointOnLine(3));
    ASSERT_EQ(activated.count(), 1);
    EXPECT_EQ(activated.at(0), (QVariantList{QStringLiteral("/s/a.orx"), 8}));
    QTest::mouseMove(Viewport(), PointOnLine(2));
    EXPECT_EQ(Viewport()->cursor().shape(), Qt::IBeamCursor);
}

TEST_F(Tracebacks, ASyntaxErrorIsToldWithTheScriptPlaceItsTracebackNamesLast) {
    // A syntax error of a script's code; then errors that are no syntax
    // error of a script's line: a NameError, and a syntax error of a
    // string the script's code compiled.
    Write(
        QStringLiteral("  File \"/s/a.orx\", line 4\n"
                       "    y = (\n"
                       "        ^\n"
                       "SyntaxError: '(' was never closed\n"));
    Write(
        QStringLiteral("Traceback (most recent call last):\n"
                       "  File \"/s/a.orx\", line 9, in <module>\n"
                       "    print(x)\n"
                       "NameError: name 'x' is not defined\n"));
    Write(
        QStringLiteral("Traceback (most recent call last):\n"
                       "  File \"/s/a.orx\", line 2, in <module>\n"
                       "  File \"<string>\", line 1\n"
                       "SyntaxError: invalid syntax\n"));
    // Line by line, as a traceback may arrive, with printed lines around it.
    for (const char* line : {"before\n", "  File \"/s/b.orx\", line 7\n", "    if x\n", "IndentationError: expected\n",
                             "after\n", "SyntaxError: not of a traceback\n"})
        Write(QString::fromUtf8(line));
    ASSERT_EQ(syntaxErrors.count(), 2);
    EXPECT_EQ(syntaxErrors.at(0), (QVariantList{QStringLiteral("/s/a.orx"), 4}));
    EXPECT_EQ(syntaxErrors.at(1), (QVariantList{QStringLiteral("/s/b.orx"), 7}));
}
