// The real program on a real X server: started in a directory holding two
// scripts, it shows its main window; File > Exit, typed through the menu's
// mnemonics, ends it normally. Without an interpreter library it says so in
// its two boxes and ends before its window shows.
#include "engine/KnownVersions.h"
#include "tests/e2e/OrvexaProcess.h"
#include "tests/support/QtPrinters.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>

#include <csignal>
#include <cstring>

#include <sys/inotify.h>
#include <unistd.h>

using namespace orvexa;

TEST(MainWindow, ShowsOnTheDesktopAndExitsThroughTheMenu) {
    test::WorkingDir dir;
    dir.Write(QStringLiteral("first.orx"), "//SHORTDESC: First script\n//BIND MAIN\nx = 1\n");
    dir.Write(QStringLiteral("second.orx"), "//SHORTDESC: Second script\n");
    test::OrvexaProcess orvexa(dir.Path());
    const QString window = orvexa.WaitForMainWindow();
    ASSERT_FALSE(window.isEmpty()) << orvexa.StandardError().toStdString();

    int code = 0;
    const QString title =
        test::RunTool(QStringLiteral("xprop"), {QStringLiteral("-id"), window, QStringLiteral("WM_NAME")}, &code);
    EXPECT_EQ(code, 0);
    EXPECT_EQ(title, QStringLiteral("WM_NAME(STRING) = \"Orvexa\""));

    // "&Edit" and "&Exit" share their mnemonic: the second E selects Exit.
    orvexa.Keys(window, {QStringLiteral("alt+f"), QStringLiteral("e"), QStringLiteral("e"), QStringLiteral("Return")});
    EXPECT_EQ(orvexa.WaitForExit(), 0) << orvexa.StandardError().toStdString();
}

namespace {

// Waits until the process shows no window titled exactly `title`.
bool Closed(test::OrvexaProcess& orvexa, const QString& title) {
    QElapsedTimer clock;
    clock.start();
    while (!orvexa.VisibleWindows(QStringLiteral("^%1$").arg(QRegularExpression::escape(title))).isEmpty()) {
        if (clock.elapsed() > 10000)
            return false;
        QThread::msleep(10);
    }
    return true;
}

QString Property(const QString& window, const char* name) {
    return test::RunTool(QStringLiteral("xprop"), {QStringLiteral("-id"), window, QLatin1String(name)});
}

}  // namespace

TEST(MainWindow, WindowTitlesAreExactlyTheirCaptionsAndTheClassIsOrvexa) {
    test::WorkingDir dir;
    dir.Write(QStringLiteral("first.orx"), "//SHORTDESC: First script\n");
    test::OrvexaProcess orvexa(dir.Path());
    const QString main = orvexa.WaitForMainWindow();
    ASSERT_FALSE(main.isEmpty()) << orvexa.StandardError().toStdString();
    EXPECT_EQ(Property(main, "_NET_WM_NAME"), QStringLiteral("_NET_WM_NAME(UTF8_STRING) = \"Orvexa\""));
    EXPECT_EQ(Property(main, "WM_CLASS"), QStringLiteral("WM_CLASS(STRING) = \"orvexa\", \"Orvexa\""));

    orvexa.Keys(main, {QStringLiteral("alt+w"), QStringLiteral("o")});
    const QString output = orvexa.WaitForWindowTitled(QStringLiteral("Output"));
    ASSERT_FALSE(output.isEmpty()) << "no window titled exactly Output";
    EXPECT_EQ(Property(output, "_NET_WM_NAME"), QStringLiteral("_NET_WM_NAME(UTF8_STRING) = \"Output\""));

    orvexa.Keys(main, {QStringLiteral("alt+h"), QStringLiteral("a")});
    const QString about = orvexa.WaitForWindowTitled(QStringLiteral("About"));
    ASSERT_FALSE(about.isEmpty()) << "no window titled exactly About";
    EXPECT_EQ(Property(about, "_NET_WM_NAME"), QStringLiteral("_NET_WM_NAME(UTF8_STRING) = \"About\""));
    orvexa.Keys(about, {QStringLiteral("Return")});
    ASSERT_TRUE(Closed(orvexa, QStringLiteral("About")));

    orvexa.Keys(main, {QStringLiteral("alt+f"), QStringLiteral("d")});
    const QString confirm = orvexa.WaitForWindowTitled(QStringLiteral("Confirm"));
    ASSERT_FALSE(confirm.isEmpty()) << "no window titled exactly Confirm";
    orvexa.Keys(confirm, {QStringLiteral("alt+n")});  // the button's mnemonic clicks it a moment later
    ASSERT_TRUE(Closed(orvexa, QStringLiteral("Confirm")));

    orvexa.Keys(main, {QStringLiteral("alt+f"), QStringLiteral("e"), QStringLiteral("Return")});
    const QString editor = orvexa.WaitForWindowTitled(QStringLiteral("Edit - first.orx"));
    ASSERT_FALSE(editor.isEmpty()) << "no window titled exactly \"Edit - first.orx\"";
    EXPECT_TRUE(QFile::exists(dir.Path() + QStringLiteral("/first.orx"))) << "No deleted the file";
    orvexa.process().terminate();
    EXPECT_EQ(orvexa.WaitForExit(), 0);
}

TEST(MainWindow, WithoutAnInterpreterBothBoxesShowAndTheWindowNever) {
    // Every name a start tries holds a file the loader rejects.
    QTemporaryDir libs;
    ASSERT_TRUE(libs.isValid());
    QStringList names{QStringLiteral("libpython3.11.so.1.0")};
    for (const KnownVersion& known : KnownVersions())
        names.append(QString::fromLatin1(known.DllName));
    for (const QString& name : names) {
        QFile file(libs.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(QByteArray("not a shared library\n").repeated(32));
    }
    test::WorkingDir dir;
    dir.Write(QStringLiteral("first.orx"), "//SHORTDESC: First script\n");
    QProcessEnvironment variables;
    variables.insert(QStringLiteral("LD_LIBRARY_PATH"), libs.path());
    test::OrvexaProcess orvexa(dir.Path(), {}, variables);

    // The box that says why, then the one that says the program must quit,
    // each closed with Return; the main window never shows.
    QString previous;
    for (const char* box : {"the reason", "the quit message"}) {
        SCOPED_TRACE(box);
        QString error;
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < 30000) {
            const QStringList shown = orvexa.VisibleWindows(QStringLiteral("^Error$"));
            if (!shown.isEmpty() && shown.constFirst() != previous) {
                error = shown.constFirst();
                break;
            }
            QThread::msleep(10);
        }
        ASSERT_FALSE(error.isEmpty()) << orvexa.StandardError().toStdString();
        EXPECT_TRUE(orvexa.VisibleWindows(QStringLiteral("^Orvexa$")).isEmpty()) << "the main window showed";
        orvexa.Keys(error, {QStringLiteral("Return")});
        previous = error;
    }
    EXPECT_EQ(orvexa.WaitForExit(), 1);
    const QString said = orvexa.StandardError();
    EXPECT_TRUE(said.contains(
        QRegularExpression(QStringLiteral("Error \\d+: Could not open Dll \"libpython3\\.11\\.so\\.1\\.0\"\n"
                                          "Python could not be properly initialized\\. We must quit\\.\n"))))
        << said.toStdString();
}

// fontconfig does not wait for a configuration another thread is reading: a
// second reader reads it all again, beside the first, and a start that reads
// fonts ahead on a thread of its own must keep its other threads from it. The
// configuration here reads slowly (many files to include), so that a second
// reader would come while the first still reads; each reading opens the
// configuration's first file once.
TEST(MainWindow, ReadsTheDesktopsFontConfigurationOnce) {
    test::WorkingDir dir;
    dir.Write(QStringLiteral("first.orx"), "//SHORTDESC: First script\n");
    QTemporaryDir fonts;
    ASSERT_TRUE(fonts.isValid());
    ASSERT_TRUE(QDir(fonts.path()).mkdir(QStringLiteral("many")));
    for (int i = 0; i < 1000; ++i) {
        QFile part(fonts.filePath(QStringLiteral("many/%1.conf").arg(i, 4, 10, QLatin1Char('0'))));
        ASSERT_TRUE(part.open(QIODevice::WriteOnly));
        part.write("<?xml version=\"1.0\"?>\n<fontconfig></fontconfig>\n");
    }
    const QString first = fonts.filePath(QStringLiteral("fonts.conf"));
    QFile configuration(first);
    ASSERT_TRUE(configuration.open(QIODevice::WriteOnly));
    configuration.write(QStringLiteral("<?xml version=\"1.0\"?>\n<fontconfig>\n"
                                       "  <include ignore_missing=\"yes\">/etc/fonts/fonts.conf</include>\n"
                                       "  <include>%1</include>\n</fontconfig>\n")
                            .arg(fonts.filePath(QStringLiteral("many")))
                            .toUtf8());
    configuration.close();

    const int watch = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    ASSERT_GE(watch, 0);
    // Closes are watched too: the kernel makes one of two like events in a row.
    ASSERT_GE(inotify_add_watch(watch, QFile::encodeName(first).constData(), IN_OPEN | IN_CLOSE), 0);
    QProcessEnvironment variables;
    variables.insert(QStringLiteral("FONTCONFIG_FILE"), first);
    test::OrvexaProcess orvexa(dir.Path(), {}, variables);
    // The window shows once its texts were measured, with fonts found.
    ASSERT_FALSE(orvexa.WaitForMainWindow().isEmpty()) << orvexa.StandardError().toStdString();
    int opened = 0;
    alignas(inotify_event) char events[4096];
    for (ssize_t got; (got = read(watch, events, sizeof events)) > 0;)
        for (ssize_t at = 0; at < got; at += static_cast<ssize_t>(sizeof(inotify_event))) {
            inotify_event event{};
            std::memcpy(&event, events + at, sizeof event);
            opened += (event.mask & IN_OPEN) != 0 ? 1 : 0;
        }
    close(watch);
    EXPECT_EQ(opened, 1);
    orvexa.Signal(SIGTERM);
    EXPECT_EQ(orvexa.WaitForExit(), 0) << orvexa.StandardError().toStdString();
}
