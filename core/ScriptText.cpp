#include "core/ScriptText.h"

#include "core/Exception.h"

#include <QFile>
#include <QSaveFile>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace orvexa {
namespace {

constexpr char kByteOrderMark[] = "\xef\xbb\xbf";

bool StartsWithByteOrderMark(QByteArrayView bytes) { return bytes.startsWith(QByteArrayView(kByteOrderMark)); }

// Decodes bytes that must all be well-formed UTF-8: no sequence cut short,
// no overlong form, no encoded surrogate, nothing above U+10FFFF. Returns
// false at the first byte that breaks the rule.
bool DecodeStrictUtf8(QByteArrayView bytes, QString& text) {
    text.clear();
    text.reserve(bytes.size());
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const qsizetype n = bytes.size();
    const auto continuation = [p, n](qsizetype i, unsigned char low = 0x80, unsigned char high = 0xbf) {
        return i < n && p[i] >= low && p[i] <= high;
    };
    for (qsizetype i = 0; i < n;) {
        const unsigned char b = p[i];
        char32_t code = 0;
        if (b < 0x80) {
            text.append(QChar(b));
            ++i;
            continue;
        }
        if (b >= 0xc2 && b <= 0xdf) {
            if (!continuation(i + 1))
                return false;
            code = (char32_t(b & 0x1f) << 6) | (p[i + 1] & 0x3f);
            i += 2;
        } else if (b >= 0xe0 && b <= 0xef) {
            // E0 needs A0..BF next (no overlong form), ED needs 80..9F (no
            // surrogate).
            const unsigned char low = b == 0xe0 ? 0xa0 : 0x80;
            const unsigned char high = b == 0xed ? 0x9f : 0xbf;
            if (!continuation(i + 1, low, high) || !continuation(i + 2))
                return false;
            code = (char32_t(b & 0x0f) << 12) | (char32_t(p[i + 1] & 0x3f) << 6) | (p[i + 2] & 0x3f);
            i += 3;
        } else if (b >= 0xf0 && b <= 0xf4) {
            // F0 needs 90..BF next (no overlong form), F4 needs 80..8F (at
            // most U+10FFFF).
            const unsigned char low = b == 0xf0 ? 0x90 : 0x80;
            const unsigned char high = b == 0xf4 ? 0x8f : 0xbf;
            if (!continuation(i + 1, low, high) || !continuation(i + 2) || !continuation(i + 3))
                return false;
            code = (char32_t(b & 0x07) << 18) | (char32_t(p[i + 1] & 0x3f) << 12) | (char32_t(p[i + 2] & 0x3f) << 6) |
                   (p[i + 3] & 0x3f);
            i += 4;
        } else {
            return false;  // a continuation byte first, C0, C1 or F5..FF
        }
        if (QChar::requiresSurrogates(code)) {
            text.append(QChar(QChar::highSurrogate(code)));
            text.append(QChar(QChar::lowSurrogate(code)));
        } else {
            text.append(QChar(char16_t(code)));
        }
    }
    return true;
}

// The line end used most in text; of those used equally often, the first.
LineEnd MostUsedLineEnd(QStringView text) {
    qsizetype counts[3] = {0, 0, 0};
    LineEnd order[3] = {};
    int seen = 0;
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        LineEnd end;
        if (text[i] == u'\n') {
            end = LineEnd::Lf;
        } else if (text[i] == u'\r') {
            end = i + 1 < n && text[i + 1] == u'\n' ? LineEnd::CrLf : LineEnd::Cr;
            if (end == LineEnd::CrLf)
                ++i;
        } else {
            continue;
        }
        if (counts[static_cast<int>(end)]++ == 0)
            order[seen++] = end;
    }
    LineEnd best = LineEnd::Lf;
    qsizetype bestCount = 0;
    for (int k = 0; k < seen; ++k) {
        if (counts[static_cast<int>(order[k])] > bestCount) {
            best = order[k];
            bestCount = counts[static_cast<int>(order[k])];
        }
    }
    return best;
}

bool IsAscii(QByteArrayView bytes) {
    for (const char c : bytes)
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    return true;
}

}  // namespace

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

DecodedScript DecodeScript(QByteArrayView bytes) {
    DecodedScript script;
    const bool mark = StartsWithByteOrderMark(bytes);
    if (DecodeStrictUtf8(mark ? bytes.sliced(3) : bytes, script.text)) {
        script.form.encoding = ScriptEncoding::Utf8;
        script.form.byteOrderMark = mark;
    } else {
        script.text = QString::fromLatin1(bytes.data(), bytes.size());
        script.form.encoding = ScriptEncoding::Latin1;
        script.form.byteOrderMark = false;
    }
    script.form.lineEnd = MostUsedLineEnd(script.text);
    return script;
}

ScriptForm WritableForm(QStringView text, const ScriptForm& form) {
    ScriptForm result = form;
    if (result.encoding == ScriptEncoding::Latin1) {
        bool fits = true;
        for (const QChar c : text) {
            if (c.unicode() > 0xff) {
                fits = false;
                break;
            }
        }
        if (fits) {
            // Latin-1 bytes that happen to be valid UTF-8 would read back as
            // UTF-8 (unless they are all ASCII, which reads the same).
            const QByteArray bytes = text.toLatin1();
            QString unused;
            fits = IsAscii(bytes) || !DecodeStrictUtf8(bytes, unused);
        }
        if (fits)
            return result;
        result.encoding = ScriptEncoding::Utf8;
        result.byteOrderMark = false;
    }
    // Without a mark, a leading U+FEFF would read back as one.
    if (text.startsWith(QChar(0xfeff)))
        result.byteOrderMark = true;
    return result;
}

QByteArray EncodeScript(QStringView text, const ScriptForm& form) {
    if (form.encoding == ScriptEncoding::Latin1)
        return text.toLatin1();
    QByteArray bytes;
    if (form.byteOrderMark)
        bytes = QByteArray(kByteOrderMark);
    bytes += text.toUtf8();
    return bytes;
}

QStringView LineEndText(LineEnd end) {
    switch (end) {
    case LineEnd::CrLf:
        return u"\r\n";
    case LineEnd::Cr:
        return u"\r";
    case LineEnd::Lf:
        break;
    }
    return u"\n";
}

DecodedScript ReadScriptText(const QString& fileName) { return DecodeScript(ReadScriptBytes(fileName)); }

QStringList ReadScriptLines(const QString& fileName) {
    QString text = ReadScriptText(fileName).text;
    // A NUL ends the text: nothing after it is read. Both encodings decode
    // the NUL byte, and only it, to U+0000.
    if (const qsizetype nul = text.indexOf(QChar(u'\0')); nul >= 0)
        text.truncate(nul);
    return SplitLines(text);
}

ScriptForm WriteScriptText(const QString& fileName, QStringView text, const ScriptForm& form) {
    const ScriptForm written = WritableForm(text, form);
    const QByteArray bytes = EncodeScript(text, written);
    QSaveFile file(fileName);
    // In a folder where no file can be made, the temporary file of a safe
    // save cannot be either: a file that may be written is then written in
    // place. Wherever the safe way is possible it is taken.
    file.setDirectWriteFallback(true);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        throw Exception(QStringLiteral("Cannot create file %1").arg(fileName));
    return written;
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
