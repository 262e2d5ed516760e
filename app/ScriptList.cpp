#include "app/ScriptList.h"

#include "app/ScriptDirectory.h"
#include "core/Exception.h"
#include "engine/FatalReport.h"

#include <QFile>

#include <algorithm>
#include <cstdio>

namespace orvexa {
namespace {

QString WithoutControlCharacters(QString text) {
    for (QChar& c : text)
        if (c.unicode() < 32 || c.unicode() == 127)
            c = u'?';
    return text;
}

}  // namespace

QByteArray ScriptListText(QString* problems) {
    QStringList names = ScriptEntries();
    std::sort(names.begin(), names.end());
    QByteArray text;
    for (const QString& name : names) {
        QString description;
        try {
            description = ShortDescription(name);
        } catch (const Exception& e) {
            description = name;
            if (problems)
                *problems += QStringLiteral("orvexa: ") + e.Message() + u'\n';
        }
        // The name in the bytes the file system has it, whatever they are.
        text += QFile::encodeName(WithoutControlCharacters(name)) + '\t' +
                WithoutControlCharacters(description).toUtf8() + '\n';
    }
    return text;
}

int ListScripts() {
    QString problems;
    const QByteArray text = ScriptListText(&problems);
    std::fwrite(text.constData(), 1, static_cast<std::size_t>(text.size()), stdout);
    std::fflush(stdout);
    if (!problems.isEmpty())
        WriteToStandardError(problems.trimmed());
    return 0;
}

}  // namespace orvexa
