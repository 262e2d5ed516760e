// The real program's editor, reached from an error: a script's traceback
// in the Output window, its line naming the script file double-clicked,
// opens the editor on that file with the caret at that line.
#include "tests/e2e/OrvexaProcess.h"
#include "tests/support/QtPrinters.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
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

}  // namespace

TEST(Editor, ATracebackLineDoubleClickedOpensTheEditorAtItsLine) {
    test::WorkingDir dir;
    const QByteArray lines = "import orvex\n\nvalue = 1\n\n\nraise ValueError(value)\n";
    QDir(dir.Path()).mkdir("lib");
    dir.Write(QStringLiteral("lib/fails.orx"), lines);
    dir.Write(QStringLiteral("runs.orx"), "//BIND MAIN\nimport runpy\nrunpy.run_path('lib/fails.orx')\n");
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
    const QString path = dir.Path() + QStringLiteral("/lib/fails.orx");
    const QDeadlineTimer deadline(10000);
    while (Read(path) == lines && !deadline.hasExpired())
        QThread::msleep(50);
    EXPECT_EQ(Read(path).split('\n').at(5), "xraise ValueError(value)");
    orvexa.process().terminate();
    EXPECT_EQ(orvexa.WaitForExit(), 0) << orvexa.StandardError().toStdString();
}
