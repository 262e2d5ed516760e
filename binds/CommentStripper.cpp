#include "binds/CommentStripper.h"

#include <QStringList>

namespace orvexa {
namespace {

bool IsIdentifierCharacter(QChar c) { return c.isLetterOrNumber() || c == u'_'; }

// The prefixes a string literal may have, in lower case: raw, bytes,
// unicode, formatted and template strings.
bool IsStringPrefix(const QString& letters) {
    static const QStringList prefixes{QString(),           QStringLiteral("r"),  QStringLiteral("u"),
                                      QStringLiteral("b"), QStringLiteral("br"), QStringLiteral("rb"),
                                      QStringLiteral("f"), QStringLiteral("fr"), QStringLiteral("rf"),
                                      QStringLiteral("t"), QStringLiteral("tr"), QStringLiteral("rt")};
    return prefixes.contains(letters.toLower());
}

}  // namespace

QString CommentStripper::Strip(const QString& line) {
    const qsizetype n = line.size();
    qsizetype cut = n;
    bool escapedEnd = false;
    qsizetype i = 0;
    while (i < n) {
        const Context* top = Top();
        const QChar c = line.at(i);
        if (!top || top->kind == Context::Kind::Field) {
            // Code: the top level, or a replacement field of an f-string.
            if (c == u'#') {
                cut = i;
                break;
            }
            if (c == u'\'' || c == u'"') {
                i = OpenString(line, i);
                continue;
            }
            i = top ? InsideField(line, i) : i + 1;
        } else if (top->kind == Context::Kind::String) {
            i = InsideString(line, i, escapedEnd);
        } else {
            i = InsideField(line, i);
        }
    }
    // A single-quoted string ends with its line, unless the line ends in a
    // backslash inside it; so do the fields of a single-quoted f-string.
    if (!escapedEnd) {
        for (size_t k = 0; k < open_.size(); ++k) {
            if (open_[k].kind == Context::Kind::String && !open_[k].triple) {
                open_.resize(k);
                break;
            }
        }
    }
    return cut < n ? line.left(cut) : line;
}

bool CommentStripper::InString() const { return !open_.empty(); }

qsizetype CommentStripper::OpenString(const QString& line, qsizetype i) {
    const QChar quote = line.at(i);
    // The whole word in front of the quote is its prefix, or the quote has
    // none (a name followed by a string, which Python would refuse anyway).
    qsizetype start = i;
    while (start > 0 && IsIdentifierCharacter(line.at(start - 1)))
        --start;
    QString prefix = line.mid(start, i - start);
    if (!IsStringPrefix(prefix))
        prefix.clear();
    prefix = prefix.toLower();
    Context string;
    string.kind = Context::Kind::String;
    string.quote = quote;
    string.raw = prefix.contains(u'r');
    string.formatted = prefix.contains(u'f') || prefix.contains(u't');
    string.triple = i + 2 < line.size() && line.at(i + 1) == quote && line.at(i + 2) == quote;
    open_.push_back(string);
    return i + (string.triple ? 3 : 1);
}

bool CommentStripper::ClosesAt(const QString& line, qsizetype i, const Context& s) {
    if (line.at(i) != s.quote)
        return false;
    return !s.triple || (i + 2 < line.size() && line.at(i + 1) == s.quote && line.at(i + 2) == s.quote);
}

void CommentStripper::CloseString() {
    while (!open_.empty()) {
        const Context::Kind kind = open_.back().kind;
        open_.pop_back();
        if (kind == Context::Kind::String)
            return;
    }
}

qsizetype CommentStripper::InsideString(const QString& line, qsizetype i, bool& escapedEnd) {
    const Context& s = open_.back();
    const qsizetype n = line.size();
    const QChar c = line.at(i);
    if (c == u'\\') {
        if (i + 1 >= n) {
            escapedEnd = true;  // the string goes on in the next line
            return n;
        }
        // \N{NAME} names a character; its braces are no replacement field.
        if (!s.raw && line.at(i + 1) == u'N' && i + 2 < n && line.at(i + 2) == u'{') {
            const qsizetype close = line.indexOf(u'}', i + 3);
            return close < 0 ? n : close + 1;
        }
        return i + 2;
    }
    if (ClosesAt(line, i, s)) {
        const qsizetype length = s.triple ? 3 : 1;
        CloseString();
        return i + length;
    }
    if (s.formatted && (c == u'{' || c == u'}')) {
        if (i + 1 < n && line.at(i + 1) == c)
            return i + 2;  // a doubled brace is a brace of the text
        if (c == u'{') {
            Context field;
            field.kind = Context::Kind::Field;
            open_.push_back(field);
        }
    }
    return i + 1;
}

qsizetype CommentStripper::InsideField(const QString& line, qsizetype i) {
    Context& f = open_.back();
    const QChar c = line.at(i);
    if (f.kind == Context::Kind::Field) {
        if (c == u'(' || c == u'[' || c == u'{') {
            ++f.brackets;
        } else if ((c == u')' || c == u']') && f.brackets > 0) {
            --f.brackets;
        } else if (c == u'}') {
            if (f.brackets > 0)
                --f.brackets;
            else
                open_.pop_back();  // back in the f-string's text
        } else if (c == u':' && f.brackets == 0) {
            f.kind = Context::Kind::FormatSpec;
        }
        return i + 1;
    }
    // A format specifier: text, with fields of its own, up to the "}"
    // that also ends its field; the quotes of the f-string still end it.
    if (c == u'{') {
        Context field;
        field.kind = Context::Kind::Field;
        open_.push_back(field);
        return i + 1;
    }
    if (c == u'}') {
        open_.pop_back();
        return i + 1;
    }
    for (auto it = open_.rbegin(); it != open_.rend(); ++it) {
        if (it->kind != Context::Kind::String)
            continue;
        if (!ClosesAt(line, i, *it))
            break;
        const qsizetype length = it->triple ? 3 : 1;
        open_.erase(std::next(it).base(), open_.end());
        return i + length;
    }
    return i + 1;
}

}  // namespace orvexa
