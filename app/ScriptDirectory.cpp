#include "app/ScriptDirectory.h"

#include "core/ScriptText.h"
#include "core/Strings.h"

#include <QFile>

#include <dirent.h>

#include <memory>

namespace orvexa {

QStringList ScriptEntries() {
    QStringList names;
    std::unique_ptr<DIR, int (*)(DIR*)> dir(opendir("."), &closedir);
    if (!dir)
        return names;
    while (const dirent* entry = readdir(dir.get())) {
        const QString name = QFile::decodeName(entry->d_name);
        if (name == u"." || name == u"..")
            continue;
        if (name.endsWith(strings::ScriptPattern(), Qt::CaseInsensitive))
            names.append(name);
    }
    return names;
}

QString ShortDescription(const QString& fileName) {
    QString result = TrimControl(fileName);
    if (!FileExists(fileName))
        return result;
    const QString marker = strings::ShortDescMarker();
    for (const QString& line : ReadScriptLines(fileName)) {
        const qsizetype p = line.indexOf(marker);
        if (p >= 0)
            result = TrimControl(QStringView(line).mid(p + marker.size()));
    }
    return result;
}

QString LongDescription(const QString& fileName, qsizetype capacity) {
    if (!FileExists(fileName))
        return QString();
    const QStringList lines = ReadScriptLines(fileName);
    qsizetype i = 0;
    while (i < lines.size() && !lines[i].contains(strings::LongDescMarker()))
        ++i;
    if (i == lines.size())
        return QString();
    QString shown;
    bool first = true;
    for (++i; i < lines.size() && !lines[i].contains(strings::EndLongDescMarker()); ++i) {
        if (!first)
            shown += u'\n';
        first = false;
        shown += QStringView(lines[i]).left(capacity - shown.size());
        if (shown.size() >= capacity)
            break;
    }
    return shown;
}

}  // namespace orvexa
