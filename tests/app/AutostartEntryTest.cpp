// The autostart entry's Exec arguments, quoted and escaped as freedesktop.org's
// desktop entry format says, and an entry for awkward names that
// desktop-file-validate accepts.
#include "app/AutostartEntry.h"
#include "tests/support/QtPrinters.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>

using namespace orvexa;

TEST(AutostartEntry, ExecArgumentsAreQuotedOnlyWhereNeeded) {
    const struct {
        const char* argument;
        const char* exec;
    } cases[] = {
        {"/usr/bin/orvexa", "/usr/bin/orvexa"}, {"clock.orx", "clock.orx"},
        {"my clock.orx", R"("my clock.orx")"},  {R"(say "hi".orx)", R"("say \\"hi\\".orx")"},
        {"cost$.orx", R"("cost\\$.orx")"},      {"back\\slash.orx", R"("back\\\\slash.orx")"},
        {"100%.orx", R"("100%%.orx")"},         {"", R"("")"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ExecArgument(QString::fromUtf8(c.argument)), QString::fromUtf8(c.exec)) << c.argument;
}

TEST(AutostartEntry, AnEntryForAwkwardNamesIsValidAndRemovable) {
    test::WorkingDir dir;
    qputenv("XDG_CONFIG_HOME", dir.Path().toUtf8());
    QString error;
    ASSERT_TRUE(EnableAutostart(QStringLiteral("/opt/my apps/orvexa"), QStringLiteral("/home/u/My \"Scripts\" 100%"),
                                QStringLiteral("a $b.orx"), &error))
        << error.toStdString();
    EXPECT_EQ(AutostartFile(), dir.Path() + QStringLiteral("/autostart/orvexa.desktop"));
    EXPECT_TRUE(AutostartEnabled());
    QProcess validate;
    validate.start(QStringLiteral("desktop-file-validate"), {AutostartFile()});
    ASSERT_TRUE(validate.waitForFinished(20000));
    const QByteArray said = validate.readAllStandardOutput() + validate.readAllStandardError();
    EXPECT_EQ(validate.exitCode(), 0) << said.toStdString();
    EXPECT_TRUE(said.isEmpty()) << said.toStdString();
    QFile entry(AutostartFile());
    ASSERT_TRUE(entry.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(entry.readAll());
    EXPECT_TRUE(text.contains(QStringLiteral(R"(Exec="/opt/my apps/orvexa" --hidden --start "a \\$b.orx")")))
        << text.toStdString();
    ASSERT_TRUE(DisableAutostart(&error)) << error.toStdString();
    EXPECT_FALSE(AutostartEnabled());
    EXPECT_TRUE(DisableAutostart(&error)) << "removing what is not there is no failure";
}
