// The real program's editor, reached from an error: a script's traceback
// in the Output window, its line naming the script file double-clicked,
// opens the editor on that file with the caret at that line; a syntax error
// of the editor's test run marks its line.
#include "tests/e2e/OrvexaProcess.h"
#include "tests/support/QtPrinters.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <QDeadlineTimer>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QThread>

using namespace orvexa;

namespace {

// The X id of the visible window of the process whose title matches
// `pattern`, or the empty string once `waitMs` passed.
QString WindowMatching(test::OrvexaProcess& orvexa, const QString& pattern, int waitMs) {
    const QDeadlineTimer deadline(waitMs);
    for (;;) {
        const QString ids =
            test::RunTool(QStringLiteral("xdotool"),
                          {QStringLiteral("search"), QStringLiteral("--all"), QStringLiteral("--onlyvisible"),
                           QStringLiteral("--pid"), QString::number(orvexa.process().processId()),
                           QStringLiteral("--name"), pattern});
        if (!ids.isEmpty() || deadline.hasExpired())
            return ids.split(u'\n').constFirst();
        QThread::msleep(50);
    }
}

QByteArray Read(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// How many pixels of a window have the tint of a line marked with an error
// (of the light palette, which the X server's programs have); -1 when the
// window could not be read.
int ErrorTintPixels(const QString& window) {
    QProcess import;
    import.start(QStringLiteral("import"), {QStringLiteral("-window"), window, QStringLiteral("png:-")});
    if (!import.waitForFinished(20000))
        return -1;
    QImage image;
    if (!image.loadFromData(import.readAllStandardOutput(), "PNG"))
        return -1;
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            count += image.pixel(x, y) == qRgb(0xff, 0xd8, 0xd8) ? 1 : 0;
    return count;
}

}  // namespace

TEST(Editor, ATracebackLineDoubleClickedOpensTheEditorAtItsLine) {
    test::WorkingDir dir;
    const QByteArray lines = "//SHORTDESC: Fails\n//BIND MAIN\nimport orvex\n\nvalue = 1\nraise ValueError(value)\n";
    dir.Write(QStringLiteral("fails.orx"), lines);
    test::OrvexaProcess orvexa(dir.Path());
    const QString main = orvexa.WaitForMainWindow();
    ASSERT_FALSE(main.isEmpty()) << orvexa.StandardError().toStdString();
    orvexa.Run(main);
    orvexa.Keys(main, {QStringLiteral("alt+w"), QStringLiteral("o")});
    const QString output = WindowMatching(orvexa, QStringLiteral("^Output$"), 10000);
    ASSERT_FALSE(output.isEmpty()) << "no Output window";

    // Down the Output window's text until a double-click opens the editor:
    // only the line naming the script file does.
    QString editor;
    for (int y = 2; editor.isEmpty() && y < 200; y += 3) {
        test::RunTool(QStringLiteral("xdotool"),
                      {QStringLiteral("mousemove"), QStringLiteral("--window"), output, QStringLiteral("40"),
                       QString::number(y), QStringLiteral("click"), QStringLiteral("--repeat"), QStringLiteral("2"),
                       QStringLiteral("--delay"), QStringLiteral("60"), QStringLiteral("1")});
        editor = WindowMatching(orvexa, QStringLiteral("^Edit - "), 150);
    }
    ASSERT_FALSE(editor.isEmpty()) << "no double-click opened the editor";
    EXPECT_EQ(WindowMatching(orvexa, QStringLiteral("^Edit - fails\\.orx$"), 0), editor);

    // The caret is at the start of the line that raised: what is typed
    // there is saved on that line.
    orvexa.Keys(editor, {QStringLiteral("x"), QStringLiteral("ctrl+s")});
    const QString path = dir.Path() + QStringLiteral("/fails.orx");
    const QDeadlineTimer deadline(10000);
    while (Read(path) == lines && !deadline.hasExpired())
        QThread::msleep(50);
    EXPECT_EQ(Read(path).split('\n').at(5), "xraise ValueError(value)");
    orvexa.process().terminate();
    EXPECT_EQ(orvexa.WaitForExit(), 0) << orvexa.StandardError().toStdString();
}

TEST(Editor, ASyntaxErrorOfItsTestRunIsMarkedAtItsLine) {
    test::WorkingDir dir;
    dir.Write(QStringLiteral("broken.orx"), "//SHORTDESC: Broken\n//BIND MAIN\nx = 1\n\ny = (\n");
    test::OrvexaProcess orvexa(dir.Path());
    const QString main = orvexa.WaitForMainWindow();
    ASSERT_FALSE(main.isEmpty()) << orvexa.StandardError().toStdString();
    // "&Edit" and "&Exit" share their mnemonic: the first E selects Edit.
    orvexa.Keys(main, {QStringLiteral("alt+f"), QStringLiteral("e"), QStringLiteral("Return")});
    const QString editor = WindowMatching(orvexa, QStringLiteral("^Edit - broken\\.orx$"), 10000);
    ASSERT_FALSE(editor.isEmpty()) << "no editor";
    EXPECT_EQ(ErrorTintPixels(editor), 0);

    orvexa.Keys(editor, {QStringLiteral("alt+r")});
    const QDeadlineTimer deadline(10000);
    int tinted = 0;
    while ((tinted = ErrorTintPixels(editor)) == 0 && !deadline.hasExpired())
        QThread::msleep(100);
    EXPECT_GT(tinted, 0) << "no line marked";
    orvexa.process().terminate();
    EXPECT_EQ(orvexa.WaitForExit(), 0) << orvexa.StandardError().toStdString();
}
