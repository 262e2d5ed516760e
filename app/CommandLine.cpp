#include "app/CommandLine.h"

#include "app/AppIdentity.h"
#include "engine/FatalReport.h"

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QFile>

namespace orvexa {
namespace {

const QString kUsage = QStringLiteral(
    "Usage: orvexa [--scripts-folder] [--hidden] [--start FILE.orx | --run FILE.orx [--tray] | --list | --help | "
    "--version]");

// The program's options, each once, whatever the parser is used for.
struct Options {
    QCommandLineOption help{{QStringLiteral("h"), QStringLiteral("help")}, QStringLiteral("Show this help and end.")};
    QCommandLineOption version{{QStringLiteral("v"), QStringLiteral("version")},
                               QStringLiteral("Show the program's version and end.")};
    QCommandLineOption run{
        QStringLiteral("run"),
        QStringLiteral("Run the script FILE.orx without any window: its MAIN section, then its TIMER and KEY "
                       "sections until Ctrl+C, SIGTERM or SIGHUP (a script without TIMER and KEY sections ends "
                       "with its MAIN). It runs in the folder it lies in. What it prints goes to standard "
                       "output, tracebacks to standard error; input() reads standard input. Exit code 0, or 1 "
                       "when MAIN ended with an error."),
        QStringLiteral("FILE.orx")};
    QCommandLineOption list{QStringLiteral("list"),
                            QStringLiteral("List the scripts of the working directory, one a line: the file name, "
                                           "a tab, the script's short description.")};
    QCommandLineOption scriptsFolder{
        QStringLiteral("scripts-folder"),
        QStringLiteral("Work in the user's scripts folder, ~/Orvexa (made with the examples when it does not "
                       "exist), instead of the current directory; with --run and --list too.")};

    QCommandLineOption tray{QStringLiteral("tray"),
                            QStringLiteral("With --run: show a tray icon with the script's name and state, to stop "
                                           "it, run it again and end; the script's errors also show as desktop "
                                           "notifications. The run then lasts until Exit, Ctrl+C, SIGTERM or "
                                           "SIGHUP.")};
    QCommandLineOption hidden{QStringLiteral("hidden"),
                              QStringLiteral("Start the main window in the tray, not shown (as a start at login "
                                             "does); its tray icon shows it. Without a tray the window shows.")};
    QCommandLineOption start{QStringLiteral("start"),
                             QStringLiteral("Select the script FILE.orx of the working directory in the main "
                                            "window and run it at once."),
                             QStringLiteral("FILE.orx")};

    void AddTo(QCommandLineParser& parser) const {
        parser.addOptions({help, version, run, tray, list, scriptsFolder, hidden, start});
    }
};

}  // namespace

CommandLine ParseCommandLine(const QStringList& arguments) {
    QCommandLineParser parser;
    const Options options;
    options.AddTo(parser);

    CommandLine line;
    const bool parsed = parser.parse(arguments);
    line.scriptsFolder = parser.isSet(options.scriptsFolder);
    if (parser.isSet(options.help))
        line.mode = CommandLine::Mode::Help;
    else if (parser.isSet(options.version))
        line.mode = CommandLine::Mode::Version;
    else if (parser.isSet(options.run))
        line.mode = CommandLine::Mode::Run;
    else if (parser.isSet(options.list))
        line.mode = CommandLine::Mode::List;
    if (line.mode == CommandLine::Mode::Run)
        line.script = parser.values(options.run).value(0);
    line.tray = parser.isSet(options.tray);
    line.hidden = parser.isSet(options.hidden);
    line.start = parser.values(options.start).value(0);

    // --help and --version answer whatever else stands on the line, as
    // other programs' do; everything else must be right.
    if (line.mode == CommandLine::Mode::Help || line.mode == CommandLine::Mode::Version)
        return line;
    if (!parsed)
        line.error = parser.errorText();
    else if (parser.values(options.run).size() > 1)
        line.error = QStringLiteral("--run runs one script.");
    else if (parser.isSet(options.run) && parser.isSet(options.list))
        line.error = QStringLiteral("--run and --list cannot be used together.");
    else if (line.tray && line.mode != CommandLine::Mode::Run)
        line.error = QStringLiteral("--tray goes with --run: the main window always has its tray icon.");
    else if ((line.hidden || parser.isSet(options.start)) && line.mode != CommandLine::Mode::Window)
        line.error = QStringLiteral("--hidden and --start are for the main window.");
    else if (parser.values(options.start).size() > 1)
        line.error = QStringLiteral("--start runs one script.");
    else if (parser.isSet(options.start) && line.start.isEmpty())
        line.error = QStringLiteral("--start needs the name of a script.");
    else if (line.mode == CommandLine::Mode::Run && line.script.isEmpty())
        line.error = QStringLiteral("--run needs the name of a script.");
    else if (!parser.positionalArguments().isEmpty())
        line.error = QStringLiteral("Unexpected argument '%1': a script is run with --run FILE.orx.")
                         .arg(parser.positionalArguments().constFirst());
    return line;
}

QStringList ArgumentsOf(int argc, char** argv) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QFile::decodeName(argv[i]));
    return arguments;
}

QString CommandLineHelp() {
    QCommandLineParser parser;
    const Options options;
    options.AddTo(parser);
    parser.setApplicationDescription(
        QStringLiteral("Runs desktop-automation scripts written in Python (FILE.orx). Without --run, --list, "
                       "--help or --version it shows its main window, which lists the scripts of the working "
                       "directory."));
    // The parser's own usage line names the program by the path it was
    // started with; this one names it as it is installed, with its modes.
    QString text = parser.helpText();
    const qsizetype firstLineEnd = text.indexOf(u'\n');
    return kUsage + (firstLineEnd >= 0 ? text.mid(firstLineEnd) : QStringLiteral("\n"));
}

QString VersionText() { return QStringLiteral("orvexa %1").arg(ApplicationVersion()); }

void ReportBadCommandLine(const QString& error) {
    WriteToStandardError(QStringLiteral("orvexa: %1\nTry 'orvexa --help' for more information.").arg(error));
}

}  // namespace orvexa
