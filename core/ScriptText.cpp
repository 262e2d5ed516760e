#include "core/ScriptText.h"

#include "core/Exception.h"

#include <QFile>
#include <QFileInfo>

namespace orvexa {

QStringList SplitLines(QStringView text) {
    QStringList lines;
    qsizetype start = 0;
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text[i];
        if (c != u'\r' && c != u'\n')
            continue;
        lines.append(text.mid(start, i - start).toString());
        if (c == u'\r' && i + 1 < n && text[i + 1] == u'\n')
            ++i;
        start = i + 1;
    }
    if (start < n)
        lines.append(text.mid(start).toString());
    return lines;
}

QStringList ReadScriptLines(const QString& fileName) {
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        throw Exception(QStringLiteral("Cannot open file %1").arg(fileName));
    QByteArray bytes = file.readAll();
    // A NUL byte ends the text: nothing after it is read.
    if (const qsizetype nul = bytes.indexOf('\0'); nul >= 0)
        bytes.truncate(nul);
    return SplitLines(QString::fromUtf8(bytes));
}

QString TrimControl(QStringView text) {
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text[begin].unicode() <= 32)
        ++begin;
    while (end > begin && text[end - 1].unicode() <= 32)
        --end;
    return text.mid(begin, end - begin).toString();
}

bool FileExists(const QString& fileName) {
    const QFileInfo info(fileName);
    return info.exists() && !info.isDir();
}

}  // namespace orvexa
