#include "app/AutostartEntry.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>
#include <QStringList>

namespace orvexa {
namespace {

// A string value of a desktop entry: backslashes and line breaks escaped.
QString EntryString(QString value) {
    value.replace(u'\\', QStringLiteral("\\\\"));
    value.replace(u'\n', QStringLiteral("\\n"));
    value.replace(u'\t', QStringLiteral("\\t"));
    value.replace(u'\r', QStringLiteral("\\r"));
    return value;
}

bool NeedsQuotes(const QString& argument) {
    if (argument.isEmpty())
        return true;
    for (const QChar c : argument) {
        if (!(c.isLetterOrNumber() || QStringLiteral("_-./+,=:@").contains(c)))
            return true;
    }
    return false;
}

}  // namespace

QString AutostartFile() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/autostart/orvexa.desktop");
}

bool AutostartEnabled() { return QFile::exists(AutostartFile()); }

QString ExecArgument(const QString& argument) {
    QString quoted = argument;
    if (NeedsQuotes(argument)) {
        quoted.clear();
        for (const QChar c : argument) {
            if (c == u'"' || c == u'`' || c == u'$' || c == u'\\')
                quoted += u'\\';
            quoted += c;
        }
        quoted = u'"' + quoted + u'"';
    }
    // A field code starts with %: the program's own % is doubled.
    quoted.replace(u'%', QStringLiteral("%%"));
    return EntryString(quoted);
}

bool EnableAutostart(const QString& program, const QString& folder, const QString& script, QString* error) {
    QStringList exec{ExecArgument(program), QStringLiteral("--hidden")};
    if (!script.isEmpty())
        exec << QStringLiteral("--start") << ExecArgument(script);
    const QString entry = QStringLiteral(
                              "[Desktop Entry]\n"
                              "Type=Application\n"
                              "Name=Orvexa\n"
                              "Comment=Runs desktop-automation scripts; started at login in the tray\n"
                              "Exec=%1\n"
                              "Path=%2\n"
                              "Icon=orvexa\n"
                              "Terminal=false\n"
                              "X-GNOME-Autostart-enabled=true\n")
                              .arg(exec.join(u' '), EntryString(folder));
    const QString file = AutostartFile();
    QSaveFile out(file);
    if (!QDir().mkpath(QFileInfo(file).absolutePath()) || !out.open(QIODevice::WriteOnly) ||
        out.write(entry.toUtf8()) < 0 || !out.commit()) {
        if (error)
            *error = out.errorString();
        return false;
    }
    return true;
}

bool DisableAutostart(QString* error) {
    QFile file(AutostartFile());
    if (!file.exists() || file.remove())
        return true;
    if (error)
        *error = file.errorString();
    return false;
}

}  // namespace orvexa
