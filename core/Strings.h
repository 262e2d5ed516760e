#pragma once

#include <QString>

// Every user-visible text of the application shell, in one place.
namespace orvexa::strings {

inline QString AppTitle() { return QStringLiteral("Orvexa"); }
inline QString ScriptLabel() { return QStringLiteral("Script:"); }
inline QString Run() { return QStringLiteral("&Run"); }
inline QString Stop() { return QStringLiteral("&Stop"); }
inline QString MenuFile() { return QStringLiteral("&File"); }
inline QString MenuFileEdit() { return QStringLiteral("&Edit"); }
inline QString MenuFileDelete() { return QStringLiteral("&Delete"); }
inline QString MenuFileExit() { return QStringLiteral("&Exit"); }
inline QString MenuWindows() { return QStringLiteral("&Windows"); }
inline QString MenuWindowsOutput() { return QStringLiteral("&Output"); }
inline QString MenuHelp() { return QStringLiteral("&Help"); }
inline QString MenuHelpViewHelp() { return QStringLiteral("&View Help"); }
inline QString MenuHelpAbout() { return QStringLiteral("&About"); }

inline QString DeleteQuestion(const QString& file) {
    return QStringLiteral("Are you sure you want to delete the file \"%1\"?").arg(file);
}

inline QString HelpFile() { return QStringLiteral("orvexa_help.htm"); }
inline QString NoOpenerNotice(const QString& file) {
    return QStringLiteral("Sorry, your command interpreter could not be found, please try using your "
                          "internet browser to view the file \"%1\" located in the QX directory.")
        .arg(file);
}
inline QString AboutTitle() { return QStringLiteral("Orvexa"); }
inline QString AboutVersion() { return QStringLiteral("Version 1.2"); }
inline QString AboutProducer() { return QStringLiteral("The Orvexa team"); }
inline QString AboutPoweredBy() { return QStringLiteral("Powered By Python"); }
inline QString AboutPythonInvitation() { return QStringLiteral("(Visit www.python.org)"); }

inline QString ScriptPattern() { return QStringLiteral(".orx"); }
inline QString ShortDescMarker() { return QStringLiteral("//SHORTDESC:"); }
inline QString LongDescMarker() { return QStringLiteral("//LONGDESC:"); }
inline QString EndLongDescMarker() { return QStringLiteral("//ENDLONGDESC"); }

}  // namespace orvexa::strings
