// The command line: the modes, the scripts folder, and every bad command
// line named (which ends the program with exit code 2).
#include "app/CommandLine.h"
#include "tests/support/QtPrinters.h"

#include <gtest/gtest.h>

using namespace orvexa;

namespace {

CommandLine Parse(std::initializer_list<const char*> arguments) {
    QStringList list{QStringLiteral("/usr/bin/orvexa")};
    for (const char* argument : arguments)
        list.append(QString::fromUtf8(argument));
    return ParseCommandLine(list);
}

}  // namespace

TEST(CommandLine, WithoutArgumentsTheMainWindowShows) {
    const CommandLine line = Parse({});
    EXPECT_EQ(line.mode, CommandLine::Mode::Window);
    EXPECT_FALSE(line.scriptsFolder);
    EXPECT_TRUE(line.error.isEmpty());
    const CommandLine folder = Parse({"--scripts-folder"});
    EXPECT_EQ(folder.mode, CommandLine::Mode::Window);
    EXPECT_TRUE(folder.scriptsFolder);
    EXPECT_TRUE(folder.error.isEmpty());
}

TEST(CommandLine, RunTakesOneScriptInEitherSpelling) {
    for (const CommandLine& line : {Parse({"--run", "some dir/a.orx"}), Parse({"--run=some dir/a.orx"})}) {
        EXPECT_EQ(line.mode, CommandLine::Mode::Run);
        EXPECT_EQ(line.script, QStringLiteral("some dir/a.orx"));
        EXPECT_TRUE(line.error.isEmpty()) << line.error.toStdString();
    }
    const CommandLine inFolder = Parse({"--scripts-folder", "--run", "a.orx"});
    EXPECT_EQ(inFolder.mode, CommandLine::Mode::Run);
    EXPECT_TRUE(inFolder.scriptsFolder);
    // A script whose name looks like an option is still the option's value.
    EXPECT_EQ(Parse({"--run", "--list"}).script, QStringLiteral("--list"));
}

TEST(CommandLine, TrayHiddenAndStart) {
    const CommandLine run = Parse({"--run", "a.orx", "--tray"});
    EXPECT_TRUE(run.tray);
    EXPECT_TRUE(run.error.isEmpty()) << run.error.toStdString();
    const CommandLine login = Parse({"--scripts-folder", "--hidden", "--start", "a.orx"});
    EXPECT_EQ(login.mode, CommandLine::Mode::Window);
    EXPECT_TRUE(login.hidden);
    EXPECT_EQ(login.start, QStringLiteral("a.orx"));
    EXPECT_TRUE(login.error.isEmpty()) << login.error.toStdString();
}

TEST(CommandLine, ListHelpAndVersion) {
    EXPECT_EQ(Parse({"--list"}).mode, CommandLine::Mode::List);
    EXPECT_TRUE(Parse({"--list", "--scripts-folder"}).scriptsFolder);
    for (const CommandLine& line : {Parse({"--help"}), Parse({"-h"}), Parse({"--run", "a.orx", "--help"})})
        EXPECT_EQ(line.mode, CommandLine::Mode::Help);
    for (const CommandLine& line : {Parse({"--version"}), Parse({"-v"})})
        EXPECT_EQ(line.mode, CommandLine::Mode::Version);
    // They answer whatever else stands on the line.
    const CommandLine help = Parse({"--bogus", "stray", "--help"});
    EXPECT_EQ(help.mode, CommandLine::Mode::Help);
    EXPECT_TRUE(help.error.isEmpty());
    EXPECT_EQ(Parse({"--version", "--bogus"}).mode, CommandLine::Mode::Version);
}

TEST(CommandLine, BadCommandLinesSayWhatIsWrong) {
    const struct {
        CommandLine line;
        CommandLine::Mode mode;
        const char* said;
    } cases[] = {
        {Parse({"--bogus"}), CommandLine::Mode::Window, "Unknown option 'bogus'."},
        {Parse({"-x"}), CommandLine::Mode::Window, "Unknown option 'x'."},
        {Parse({"a.orx"}), CommandLine::Mode::Window, "Unexpected argument 'a.orx'"},
        {Parse({"--scripts-folder", "a.orx"}), CommandLine::Mode::Window, "Unexpected argument 'a.orx'"},
        {Parse({"--run"}), CommandLine::Mode::Run, "Missing value after '--run'."},
        {Parse({"--run", ""}), CommandLine::Mode::Run, "--run needs the name of a script."},
        {Parse({"--run", "a.orx", "b.orx"}), CommandLine::Mode::Run, "Unexpected argument 'b.orx'"},
        {Parse({"--run", "a.orx", "--run", "b.orx"}), CommandLine::Mode::Run, "--run runs one script."},
        {Parse({"--run", "a.orx", "--list"}), CommandLine::Mode::Run, "--run and --list cannot be used together."},
        {Parse({"--list", "a.orx"}), CommandLine::Mode::List, "Unexpected argument 'a.orx'"},
        {Parse({"--list", "--bogus"}), CommandLine::Mode::List, "Unknown option 'bogus'."},
        {Parse({"--tray"}), CommandLine::Mode::Window, "--tray goes with --run"},
        {Parse({"--run", "a.orx", "--hidden"}), CommandLine::Mode::Run, "--hidden and --start are for the main"},
        {Parse({"--start", "a.orx", "--start", "b.orx"}), CommandLine::Mode::Window, "--start runs one script."},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.line.mode, c.mode) << c.said;
        EXPECT_TRUE(c.line.error.startsWith(QString::fromUtf8(c.said)))
            << c.line.error.toStdString() << " / " << c.said;
    }
}

TEST(CommandLine, HelpNamesTheProgramAndEveryOption) {
    const QString help = CommandLineHelp();
    EXPECT_TRUE(help.startsWith(QStringLiteral(
        "Usage: orvexa [--scripts-folder] [--hidden] [--start FILE.orx | --run FILE.orx [--tray] | --list")))
        << help.toStdString();
    for (const char* option : {"-h, --help", "-v, --version", "--run <FILE.orx>", "--list", "--scripts-folder",
                               "--tray", "--hidden", "--start <FILE.orx>"})
        EXPECT_TRUE(help.contains(QString::fromUtf8(option))) << option << '\n' << help.toStdString();
    EXPECT_FALSE(help.contains(QStringLiteral("executable_name"))) << help.toStdString();
    EXPECT_EQ(VersionText(), QStringLiteral("orvexa ") + QStringLiteral(ORVEXA_VERSION));
}
