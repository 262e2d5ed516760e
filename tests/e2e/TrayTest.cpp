// The program's tray icon, as a desktop's tray shows it: a
// StatusNotifierItem registered with a watcher of the test's own on its
// private bus. Its picture and tooltip say the script's state, its menu
// chooses a script, runs and stops it, shows the window and ends the
// program; a click shows and hides the main window.
#include "tests/e2e/FakeDesktopBus.h"
#include "tests/e2e/OrvexaProcess.h"
#include "tests/support/Layouts.h"
#include "tests/support/QtPrinters.h"
#include "tests/support/TempDir.h"
#include "tests/support/x11/TrayManager.h"
#include "tests/support/x11/WindowManager.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QStandardPaths>
#include <QThread>

#include <functional>

using namespace orvexa;

namespace {

bool Eventually(const std::function<bool()>& condition) { return test::Eventually(condition, 20000); }

bool MainWindowVisible(test::OrvexaProcess& orvexa) {
    return !orvexa.VisibleWindows(QStringLiteral("^Orvexa$")).isEmpty();
}

QStringList Paths(const QList<test::TrayHost::MenuEntry>& entries) {
    QStringList paths;
    for (const auto& entry : entries)
        paths.append(entry.path);
    return paths;
}

bool Enabled(const QList<test::TrayHost::MenuEntry>& entries, const QString& path) {
    for (const auto& entry : entries)
        if (entry.path == path)
            return entry.enabled;
    return false;
}

const char* const kScript = "//SHORTDESC: %1\n//BIND MAIN\nopen('%1.ran', 'w').close()\n//BIND TIMER 100\nx = 1\n";

}  // namespace

TEST(Tray, StatusNotifierItemShowsTheStateAndItsMenuCommandsTheProgram) {
    // The watcher is there before the program starts, as on a desktop.
    test::TrayHost host;
    test::WorkingDir dir;
    dir.Write(QStringLiteral("first.orx"), QString::fromLatin1(kScript).arg(QStringLiteral("First")).toUtf8());
    dir.Write(QStringLiteral("second.orx"), QString::fromLatin1(kScript).arg(QStringLiteral("Second")).toUtf8());
    test::OrvexaProcess orvexa(dir.Path());
    ASSERT_FALSE(orvexa.WaitForMainWindow().isEmpty()) << orvexa.StandardError().toStdString();
    const QString item = host.WaitForItem();
    ASSERT_FALSE(item.isEmpty()) << "no item registered with the watcher";
    EXPECT_EQ(test::TrayHost::Status(item), QStringLiteral("Active"));
    const auto toolTipIs = [&](const QString& text) {
        return Eventually([&] { return test::TrayHost::ToolTip(item).contains(text); });
    };
    EXPECT_TRUE(toolTipIs(QStringLiteral("Orvexa: First (stopped)"))) << test::TrayHost::ToolTip(item).toStdString();
    const QByteArray stopped = test::TrayHost::Picture(item);
    EXPECT_FALSE(stopped.isEmpty());
    EXPECT_EQ(Paths(test::TrayHost::Menu(item)),
              (QStringList{"Scripts", "Scripts/First", "Scripts/Second", "Run", "Show window", "Output", "Exit"}));

    // A script chosen in the menu is the one the window selects and runs.
    ASSERT_TRUE(test::TrayHost::Choose(item, QStringLiteral("Scripts/Second")));
    EXPECT_TRUE(toolTipIs(QStringLiteral("Orvexa: Second (stopped)"))) << test::TrayHost::ToolTip(item).toStdString();
    ASSERT_TRUE(test::TrayHost::Choose(item, QStringLiteral("Run")));
    EXPECT_TRUE(Eventually([&] { return QFile::exists(dir.Path() + QStringLiteral("/Second.ran")); }));
    EXPECT_TRUE(toolTipIs(QStringLiteral("Orvexa: Second (running)"))) << test::TrayHost::ToolTip(item).toStdString();
    EXPECT_NE(test::TrayHost::Picture(item), stopped) << "the picture does not show the running state";
    const auto running = test::TrayHost::Menu(item);
    EXPECT_TRUE(Paths(running).contains(QStringLiteral("Stop")));
    EXPECT_FALSE(Enabled(running, QStringLiteral("Scripts"))) << "another script can be chosen while one runs";
    ASSERT_TRUE(test::TrayHost::Choose(item, QStringLiteral("Stop")));
    EXPECT_TRUE(toolTipIs(QStringLiteral("Orvexa: Second (stopped)"))) << test::TrayHost::ToolTip(item).toStdString();
    EXPECT_EQ(test::TrayHost::Picture(item), stopped);
    EXPECT_FALSE(QFile::exists(dir.Path() + QStringLiteral("/First.ran")));

    // A click hides the window, another shows it.
    test::TrayHost::Activate(item);
    EXPECT_TRUE(Eventually([&] { return !MainWindowVisible(orvexa); })) << "a click did not hide the window";
    test::TrayHost::Activate(item);
    EXPECT_TRUE(Eventually([&] { return MainWindowVisible(orvexa); })) << "a click did not show the window";
    test::TrayHost::Activate(item);
    EXPECT_TRUE(Eventually([&] { return !MainWindowVisible(orvexa); }));
    ASSERT_TRUE(test::TrayHost::Choose(item, QStringLiteral("Show window")));
    EXPECT_TRUE(Eventually([&] { return MainWindowVisible(orvexa); })) << "Show window did not show it";

    // Exit ends the program also while the window is hidden.
    test::TrayHost::Activate(item);
    EXPECT_TRUE(Eventually([&] { return !MainWindowVisible(orvexa); }));
    ASSERT_TRUE(test::TrayHost::Choose(item, QStringLiteral("Exit")));
    EXPECT_EQ(orvexa.WaitForExit(), 0) << orvexa.StandardError().toStdString();
}

// orvexa --run --tray beside a tray host and a notification daemon of the
// test's own.
class TrayRun : public ::testing::Test {
protected:
    test::TrayHost host;
    test::CallLog notifications;
    test::BusServiceThread daemon{new test::FakeNotifications(notifications),
                                  QStringLiteral("org.freedesktop.Notifications"),
                                  QStringLiteral("/org/freedesktop/Notifications")};
};

TEST_F(TrayRun, TellsErrorsAsNotificationsAtMostOneInAFewSeconds) {
    ASSERT_TRUE(daemon.Registered());
    test::WorkingDir dir;
    // An error in MAIN, then one every tick.
    dir.Write(QStringLiteral("failing.orx"), "//BIND MAIN\n1 / 0\n//BIND TIMER 50\n[][1]\n");
    test::OrvexaProcess orvexa(dir.Path(),
                               {QStringLiteral("--run"), QStringLiteral("failing.orx"), QStringLiteral("--tray")}, {});
    const QString item = host.WaitForItem();
    ASSERT_FALSE(item.isEmpty()) << "no item registered with the watcher";
    EXPECT_EQ(Paths(test::TrayHost::Menu(item)), (QStringList{"Stop", "Exit"}));
    EXPECT_TRUE(Eventually([&] { return test::TrayHost::ToolTip(item).contains("Orvexa: failing.orx (running)"); }))
        << test::TrayHost::ToolTip(item).toStdString();

    QElapsedTimer clock;
    ASSERT_TRUE(notifications.WaitFor([](const QStringList& told) { return !told.isEmpty(); }));
    clock.start();
    EXPECT_EQ(notifications.Entries().constFirst(),
              QStringLiteral("Orvexa|Error in failing.orx|ZeroDivisionError: division by zero"));
    // The ticks' errors meanwhile come as one, a few seconds later.
    ASSERT_TRUE(notifications.WaitFor([](const QStringList& told) { return told.size() >= 2; }));
    EXPECT_GE(clock.elapsed(), 4000);
    const QStringList told = notifications.Entries();
    ASSERT_EQ(told.size(), 2) << told.join(u'\n').toStdString();
    EXPECT_TRUE(told.at(1).contains(QStringLiteral("more errors in failing.orx|IndexError: list index out of range")))
        << told.at(1).toStdString();

    ASSERT_TRUE(test::TrayHost::Choose(item, QStringLiteral("Stop")));
    EXPECT_TRUE(Eventually([&] { return test::TrayHost::ToolTip(item).contains("Orvexa: failing.orx (stopped)"); }));
    EXPECT_TRUE(Paths(test::TrayHost::Menu(item)).contains(QStringLiteral("Run")));
    // Exit ends the run; its code says, as every --run's, that MAIN failed.
    ASSERT_TRUE(test::TrayHost::Choose(item, QStringLiteral("Exit")));
    EXPECT_EQ(orvexa.WaitForExit(), 1) << orvexa.StandardError().toStdString();
}

TEST_F(TrayRun, StopEndsRunawayCodeAndRunWaitsUntilItHasEnded) {
    ASSERT_TRUE(daemon.Registered());
    test::WorkingDir dir;
    // MAIN counts its runs and fails once the stopped tick has ended; the
    // tick never returns, and its finally block computes for 3 s.
    dir.Write(QStringLiteral("stuck.orx"),
              "//BIND MAIN\nimport os, time\nopen('main.count', 'a').write('x')\n"
              "if os.path.exists('ended'):\n    1 / 0\n"
              "//BIND TIMER 100\ntry:\n    open('looping', 'w').close()\n    while True:\n        pass\n"
              "finally:\n    open('ending', 'w').close()\n    t = time.monotonic()\n"
              "    while time.monotonic() - t < 3:\n        pass\n    open('ended', 'w').close()\n");
    const auto exists = [&](const char* name) {
        return Eventually([&] { return QFile::exists(dir.Path() + u'/' + QLatin1String(name)); });
    };
    test::OrvexaProcess orvexa(dir.Path(),
                               {QStringLiteral("--run"), QStringLiteral("stuck.orx"), QStringLiteral("--tray")}, {});
    const QString item = host.WaitForItem();
    ASSERT_FALSE(item.isEmpty()) << "no item registered with the watcher";
    ASSERT_TRUE(exists("looping"));

    // Stop ends the code that never returns; Run while its finally block
    // still computes starts nothing.
    ASSERT_TRUE(test::TrayHost::Choose(item, QStringLiteral("Stop")));
    ASSERT_TRUE(exists("ending")) << "Stop did not end the running code";
    ASSERT_TRUE(test::TrayHost::Choose(item, QStringLiteral("Run")));
    ASSERT_TRUE(exists("ended"));
    // Run once the code has ended runs MAIN again, whose error is the first
    // and only one told: the stop's SystemExit is none.
    ASSERT_TRUE(test::TrayHost::Choose(item, QStringLiteral("Run")))
        << "Run while the stopped code ended was not refused: "
        << Paths(test::TrayHost::Menu(item)).join(u' ').toStdString();
    ASSERT_TRUE(notifications.WaitFor([](const QStringList& told) { return !told.isEmpty(); }));
    EXPECT_EQ(notifications.Entries(),
              QStringList{QStringLiteral("Orvexa|Error in stuck.orx|ZeroDivisionError: division by zero")});
    QFile count(dir.Path() + QStringLiteral("/main.count"));
    ASSERT_TRUE(count.open(QIODevice::ReadOnly));
    EXPECT_EQ(count.readAll(), QByteArray("xx"));
    // The code says how the run's first MAIN ended.
    ASSERT_TRUE(test::TrayHost::Choose(item, QStringLiteral("Exit")));
    EXPECT_EQ(orvexa.WaitForExit(), 0) << orvexa.StandardError().toStdString();
}

namespace {

// The value of a key of the autostart entry.
QString EntryValue(const QString& entry, const QString& key) {
    for (const QString& line : entry.split(u'\n'))
        if (line.startsWith(key + u'='))
            return line.mid(key.size() + 1);
    return QString();
}

}  // namespace

TEST(Tray, StartAtLoginWritesAnEntryThatStartsTheRunningScriptInTheTray) {
    test::WorkingDir dir;
    dir.Write(QStringLiteral("clock.orx"), "//SHORTDESC: Clock\n//BIND MAIN\nopen('clock.ran', 'a').close()\n");
    const QString ran = dir.Path() + QStringLiteral("/clock.ran");
    const QString file = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
                         QStringLiteral("/autostart/orvexa.desktop");
    QString entry;
    {
        test::TrayHost host;
        test::OrvexaProcess orvexa(dir.Path());
        const QString window = orvexa.WaitForMainWindow();
        ASSERT_FALSE(window.isEmpty()) << orvexa.StandardError().toStdString();
        const QString item = host.WaitForItem();
        ASSERT_FALSE(item.isEmpty());
        orvexa.Run(window);
        ASSERT_TRUE(Eventually([&] { return QFile::exists(ran); }));
        orvexa.Keys(window, {QStringLiteral("alt+o"), QStringLiteral("l")});
        ASSERT_TRUE(Eventually([&] { return QFile::exists(file); })) << "no autostart entry written";
        int code = -1;
        const QString complaints = test::RunTool(QStringLiteral("desktop-file-validate"), {file}, &code);
        EXPECT_EQ(code, 0) << complaints.toStdString();
        EXPECT_TRUE(complaints.isEmpty()) << complaints.toStdString();
        QFile read(file);
        ASSERT_TRUE(read.open(QIODevice::ReadOnly));
        entry = QString::fromUtf8(read.readAll());
        EXPECT_EQ(EntryValue(entry, QStringLiteral("Exec")),
                  qEnvironmentVariable("ORVEXA_BINARY") + QStringLiteral(" --hidden --start clock.orx"));
        EXPECT_EQ(EntryValue(entry, QStringLiteral("Path")), QDir(dir.Path()).canonicalPath());
        ASSERT_TRUE(test::TrayHost::Choose(item, QStringLiteral("Exit")));
        EXPECT_EQ(orvexa.WaitForExit(), 0) << orvexa.StandardError().toStdString();
    }

    // The login: the entry's command in the entry's folder.
    ASSERT_TRUE(QFile::remove(ran));
    test::TrayHost host;
    QStringList command = QProcess::splitCommand(EntryValue(entry, QStringLiteral("Exec")));
    ASSERT_FALSE(command.isEmpty());
    command.removeFirst();
    test::OrvexaProcess orvexa(EntryValue(entry, QStringLiteral("Path")), command, {});
    const QString item = host.WaitForItem();
    ASSERT_FALSE(item.isEmpty()) << orvexa.StandardError().toStdString();
    EXPECT_TRUE(Eventually([&] { return QFile::exists(ran); })) << "the script was not started";
    EXPECT_TRUE(Eventually([&] { return test::TrayHost::ToolTip(item).contains("Orvexa: Clock (running)"); }));
    EXPECT_FALSE(MainWindowVisible(orvexa)) << "the window shows at login";

    // Turned off from the window the tray shows, the entry goes.
    test::TrayHost::Activate(item);
    ASSERT_TRUE(Eventually([&] { return MainWindowVisible(orvexa); }));
    const QString window = orvexa.WaitForMainWindow();
    orvexa.Keys(window, {QStringLiteral("alt+o"), QStringLiteral("l")});
    EXPECT_TRUE(Eventually([&] { return !QFile::exists(file); })) << "the autostart entry stayed";
    ASSERT_TRUE(test::TrayHost::Choose(item, QStringLiteral("Exit")));
    EXPECT_EQ(orvexa.WaitForExit(), 0) << orvexa.StandardError().toStdString();
}

TEST(Tray, ClassicTrayIconShowsAndHidesTheWindowAndItsMenuExits) {
    // No watcher on the bus: the icon goes to the classic tray.
    platform::x11::TrayManager tray;
    ASSERT_TRUE(tray.Ok());
    test::WorkingDir dir;
    dir.Write(QStringLiteral("first.orx"), "//SHORTDESC: First\n");
    test::OrvexaProcess orvexa(dir.Path());
    ASSERT_FALSE(orvexa.WaitForMainWindow().isEmpty()) << orvexa.StandardError().toStdString();
    const unsigned long icon = tray.WaitForIcon();
    ASSERT_NE(icon, 0UL) << "no icon docked";
    const QString id = QString::number(icon);
    const auto click = [&](const char* button) {
        test::RunTool(QStringLiteral("xdotool"),
                      {QStringLiteral("mousemove"), QStringLiteral("--window"), id, QStringLiteral("8"),
                       QStringLiteral("8"), QStringLiteral("click"), QLatin1String(button)});
    };
    click("1");
    EXPECT_TRUE(Eventually([&] { return !MainWindowVisible(orvexa); })) << "a click did not hide the window";
    click("1");
    EXPECT_TRUE(Eventually([&] { return MainWindowVisible(orvexa); })) << "a click did not show the window";
    // The menu's last item ends the program.
    const auto shown = [&] {
        return test::RunTool(QStringLiteral("xdotool"),
                             {QStringLiteral("search"), QStringLiteral("--onlyvisible"), QStringLiteral("--pid"),
                              QString::number(orvexa.process().processId()), QStringLiteral("--name"), QString()})
            .split(u'\n', Qt::SkipEmptyParts)
            .size();
    };
    const qsizetype before = shown();
    click("3");
    EXPECT_TRUE(Eventually([&] { return shown() > before; })) << "no menu";
    test::RunTool(QStringLiteral("xdotool"), {QStringLiteral("key"), QStringLiteral("Up")});
    test::RunTool(QStringLiteral("xdotool"), {QStringLiteral("key"), QStringLiteral("Return")});
    EXPECT_EQ(orvexa.WaitForExit(), 0) << orvexa.StandardError().toStdString();
}

TEST(Tray, ClosingTheWindowKeepsTheProgramInTheTrayOnlyWhenAsked) {
    test::TrayHost host;
    // The window manager closes the window as its close box does (Alt+F4).
    test::WindowManager manager;
    ASSERT_TRUE(manager.Start()) << manager.Failure().toStdString();
    test::WorkingDir dir;
    dir.Write(QStringLiteral("first.orx"), "//SHORTDESC: First\n");
    test::OrvexaProcess orvexa(dir.Path());
    const QString window = orvexa.WaitForMainWindow();
    ASSERT_FALSE(window.isEmpty()) << orvexa.StandardError().toStdString();
    const QString item = host.WaitForItem();
    ASSERT_FALSE(item.isEmpty());
    const auto close = [&] {
        test::RunTool(QStringLiteral("xdotool"), {QStringLiteral("windowactivate"), QStringLiteral("--sync"), window});
        test::RunTool(QStringLiteral("xdotool"), {QStringLiteral("key"), QStringLiteral("alt+F4")});
    };

    orvexa.Keys(window, {QStringLiteral("alt+o"), QStringLiteral("t")});
    close();
    EXPECT_TRUE(Eventually([&] { return !MainWindowVisible(orvexa); })) << "the window did not close";
    // The icon still answers: the program runs on.
    EXPECT_EQ(test::TrayHost::Status(item), QStringLiteral("Active"));
    EXPECT_EQ(orvexa.process().state(), QProcess::Running);
    test::TrayHost::Activate(item);
    ASSERT_TRUE(Eventually([&] { return MainWindowVisible(orvexa); })) << "the icon did not bring the window back";

    // Turned off again, closing ends the program.
    orvexa.Keys(window, {QStringLiteral("alt+o"), QStringLiteral("t")});
    close();
    EXPECT_EQ(orvexa.WaitForExit(), 0) << orvexa.StandardError().toStdString();
}
