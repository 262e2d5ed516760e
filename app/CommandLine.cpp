#include "app/CommandLine.h"

#include <QCommandLineOption>
#include <QCommandLineParser>

namespace orvexa {

CommandLine ParseCommandLine(const QStringList& arguments) {
    QCommandLineParser parser;
    const QCommandLineOption scriptsFolder(QStringLiteral("scripts-folder"));
    parser.addOption(scriptsFolder);
    // parse() rather than process(): an unknown argument is no error.
    parser.parse(arguments);

    CommandLine line;
    line.scriptsFolder = parser.isSet(scriptsFolder);
    return line;
}

}  // namespace orvexa
