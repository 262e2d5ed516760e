#include "core/ScriptText.h"

#include "core/Exception.h"

#include <QFile>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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

QByteArray ReadScriptBytes(const QString& fileName) {
    const auto fail = [&fileName] { return Exception(QStringLiteral("Cannot open file %1").arg(fileName)); };
    const int fd = ::open(QFile::encodeName(fileName).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        throw fail();
    QFile file;
    // The file owns the descriptor from here on.
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        throw fail();
    }
    struct stat status {};
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode) || status.st_size > kScriptSizeLimit)
        throw fail();
    QByteArray bytes;
    bytes.reserve(static_cast<qsizetype>(status.st_size));
    char chunk[64 * 1024];
    for (;;) {
        const qint64 n = file.read(chunk, sizeof chunk);
        if (n < 0)
            throw fail();
        if (n == 0)
            return bytes;
        bytes.append(chunk, static_cast<qsizetype>(n));
        // A file that grows while it is read stops at the limit all the same.
        if (bytes.size() > kScriptSizeLimit)
            throw fail();
    }
}

QStringList ReadScriptLines(const QString& fileName) {
    QByteArray bytes = ReadScriptBytes(fileName);
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
    struct stat status {};
    return !fileName.isEmpty() && ::stat(QFile::encodeName(fileName).constData(), &status) == 0 &&
           S_ISREG(status.st_mode);
}

}  // namespace orvexa
