// One main window for a user on a display: a second start shows the first
// one's window and ends with 0; one killed leaves nothing that stops the
// next. Processes that arm the same key name are told of each other.
#include "tests/e2e/FakeDesktopBus.h"
#include "tests/e2e/OrvexaProcess.h"
#include "tests/support/Layouts.h"
#include "tests/support/QtPrinters.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>

#include <functional>

#include <signal.h>

using namespace orvexa;

namespace {

bool Eventually(const std::function<bool()>& condition) { return test::Eventually(condition, 20000); }

bool MainWindowVisible(test::OrvexaProcess& orvexa) {
    return !orvexa.VisibleWindows(QStringLiteral("^Orvexa$")).isEmpty();
}

// What the process wrote to standard error so far, gathered while it runs.
class ErrorText {
public:
    explicit ErrorText(test::OrvexaProcess& orvexa) : orvexa_(orvexa) {}
    QString Now() {
        orvexa_.process().waitForReadyRead(50);
        text_ += QString::fromUtf8(orvexa_.process().readAllStandardError());
        return text_;
    }

private:
    test::OrvexaProcess& orvexa_;
    QString text_;
};

QString Pid(test::OrvexaProcess& orvexa) { return QString::number(orvexa.process().processId()); }

const char* const kKeyScript = "//SHORTDESC: Keys\n//BIND KEY CONTROL-ALT-F9\nx = 1\n";

}  // namespace

TEST(Instance, ASecondStartShowsTheFirstWindowAndEndsWithZero) {
    test::TrayHost host;
    test::WorkingDir dir;
    dir.Write(QStringLiteral("first.orx"), "//SHORTDESC: First\n");
    test::OrvexaProcess first(dir.Path());
    ASSERT_FALSE(first.WaitForMainWindow().isEmpty()) << first.StandardError().toStdString();
    const QString item = host.WaitForItem();
    ASSERT_FALSE(item.isEmpty());
    test::TrayHost::Activate(item);
    ASSERT_TRUE(Eventually([&] { return !MainWindowVisible(first); }));

    test::OrvexaProcess second(dir.Path());
    EXPECT_EQ(second.WaitForExit(), 0) << second.StandardError().toStdString();
    EXPECT_TRUE(Eventually([&] { return MainWindowVisible(first); })) << "the first window was not shown";
    EXPECT_EQ(first.process().state(), QProcess::Running);
    first.process().terminate();
    EXPECT_EQ(first.WaitForExit(), 0);
}

TEST(Instance, AStartAfterTheFirstWasKilledShowsItsOwnWindow) {
    test::WorkingDir dir;
    dir.Write(QStringLiteral("first.orx"), "//SHORTDESC: First\n");
    test::OrvexaProcess first(dir.Path());
    ASSERT_FALSE(first.WaitForMainWindow().isEmpty()) << first.StandardError().toStdString();
    // Killed, it leaves its socket behind.
    first.Signal(SIGKILL);
    first.WaitForExit();

    test::OrvexaProcess second(dir.Path());
    ASSERT_FALSE(second.WaitForMainWindow().isEmpty()) << second.StandardError().toStdString();
    // ...and listens in its place.
    test::OrvexaProcess third(dir.Path());
    EXPECT_EQ(third.WaitForExit(), 0) << third.StandardError().toStdString();
    second.Signal(SIGTERM);
    EXPECT_EQ(second.WaitForExit(), 0) << second.StandardError().toStdString();
}

TEST(Instance, TwoRunsArmingTheSameKeyAreEachToldOfTheOther) {
    // One arms the key by its KEY name, the other by its HOTKEY name (F9's
    // KEY name is "x"); both arm the same TEXT abbreviation.
    test::WorkingDir dir;
    dir.Write(QStringLiteral("keys.orx"),
              "//SHORTDESC: Keys\n//BIND KEY CONTROL-ALT-x\nx = 1\n//BIND TEXT sig\nx = 2\n");
    dir.Write(QStringLiteral("hotkey.orx"),
              "//SHORTDESC: Hotkey\n//BIND HOTKEY Ctrl+Alt+F9\nx = 1\n//BIND TEXT sig\nx = 2\n");
    test::OrvexaProcess one(dir.Path(), {QStringLiteral("--run"), QStringLiteral("keys.orx")}, {});
    ErrorText oneSays(one);
    test::OrvexaProcess two(dir.Path(), {QStringLiteral("--run"), QStringLiteral("hotkey.orx")}, {});
    ErrorText twoSays(two);
    const auto names = [](ErrorText& says, test::OrvexaProcess& other, const char* script) {
        return Eventually([&] {
            return says.Now().contains(QStringLiteral("CONTROL-ALT-x is also armed by another Orvexa, process %1 "
                                                      "(orvexa --run %2)")
                                           .arg(Pid(other), QLatin1String(script))) &&
                   says.Now().contains(
                       QStringLiteral("TEXT sig is also armed by another Orvexa, process %1 ").arg(Pid(other)));
        });
    };
    EXPECT_TRUE(names(oneSays, two, "hotkey.orx")) << oneSays.Now().toStdString();
    EXPECT_TRUE(names(twoSays, one, "keys.orx")) << twoSays.Now().toStdString();
    one.Signal(SIGTERM);
    two.Signal(SIGTERM);
    EXPECT_EQ(one.WaitForExit(), 0);
    EXPECT_EQ(two.WaitForExit(), 0);
    // Told once each of the key and of the abbreviation.
    EXPECT_EQ(oneSays.Now().count(QStringLiteral("is also armed")) + one.StandardError().count("is also armed"), 2);
    EXPECT_EQ(twoSays.Now().count(QStringLiteral("is also armed")) + two.StandardError().count("is also armed"), 2);
}

TEST(Instance, ARunArmingTheKeyOfTheWindowsScriptNamesTheWindow) {
    test::WorkingDir dir;
    dir.Write(QStringLiteral("keys.orx"), kKeyScript);
    test::OrvexaProcess window(dir.Path());
    const QString id = window.WaitForMainWindow();
    ASSERT_FALSE(id.isEmpty()) << window.StandardError().toStdString();
    window.Run(id);
    test::OrvexaProcess run(dir.Path(), {QStringLiteral("--run"), QStringLiteral("keys.orx")}, {});
    ErrorText runSays(run);
    EXPECT_TRUE(Eventually([&] {
        return runSays.Now().contains(
            QStringLiteral("CONTROL-ALT-F9 is also armed by another Orvexa, process %1 (the main window, keys.orx)")
                .arg(Pid(window)));
    })) << runSays.Now().toStdString();
    run.Signal(SIGTERM);
    EXPECT_EQ(run.WaitForExit(), 0);
    window.process().terminate();
    EXPECT_EQ(window.WaitForExit(), 0);
}
