#include "editor/LineBreaks.h"

#include <algorithm>
#include <vector>

namespace orvexa {
namespace {

// The most work (line comparisons over both texts' differing parts) spent
// on finding the lines that were kept; a save never stalls on it.
constexpr qsizetype kMatchWorkLimit = 50'000'000;
constexpr qsizetype kMatchEditLimit = 2'000;

// Myers' shortest edit script between a[aBegin, aEnd) and b[bBegin, bEnd);
// the pairs of lines on its diagonals are written to match. False, with
// match unchanged, past the work limit.
bool MatchMiddle(const QStringList& a, qsizetype aBegin, qsizetype aEnd, const QStringList& b, qsizetype bBegin,
                 qsizetype bEnd, QList<qsizetype>& match) {
    const qsizetype n = aEnd - aBegin;
    const qsizetype m = bEnd - bBegin;
    const qsizetype max = n + m;
    if (max == 0)
        return true;
    const qsizetype offset = max + 1;
    std::vector<qsizetype> v(static_cast<size_t>(2 * max + 3), 0);
    // trace[d] holds v[k] for k in [-d, d] after step d.
    std::vector<std::vector<qsizetype>> trace;
    qsizetype found = -1;
    for (qsizetype d = 0; d <= max; ++d) {
        if (d > kMatchEditLimit || d * max > kMatchWorkLimit)
            return false;
        for (qsizetype k = -d; k <= d; k += 2) {
            qsizetype x;
            if (k == -d || (k != d && v[offset + k - 1] < v[offset + k + 1]))
                x = v[offset + k + 1];
            else
                x = v[offset + k - 1] + 1;
            qsizetype y = x - k;
            while (x < n && y < m && a.at(aBegin + x) == b.at(bBegin + y)) {
                ++x;
                ++y;
            }
            v[offset + k] = x;
        }
        trace.emplace_back(v.begin() + (offset - d), v.begin() + (offset + d + 1));
        if (v[offset + n - m] >= n && std::abs(n - m) <= d && (n - m - d) % 2 == 0) {
            found = d;
            break;
        }
    }
    // Back from the end: every diagonal step is a line kept.
    qsizetype x = n;
    qsizetype y = m;
    for (qsizetype d = found; d >= 0; --d) {
        const qsizetype k = x - y;
        qsizetype startX = 0;
        qsizetype prevX = 0;
        qsizetype prevY = 0;
        if (d > 0) {
            const std::vector<qsizetype>& prev = trace[static_cast<size_t>(d - 1)];
            const auto at = [&prev, d](qsizetype kk) { return prev[static_cast<size_t>(kk + d - 1)]; };
            const bool down = k == -d || (k != d && at(k - 1) < at(k + 1));
            const qsizetype prevK = down ? k + 1 : k - 1;
            prevX = at(prevK);
            prevY = prevX - prevK;
            startX = down ? prevX : prevX + 1;
        }
        for (qsizetype i = startX; i < x; ++i)
            match[bBegin + i - k] = aBegin + i;
        x = prevX;
        y = prevY;
    }
    return true;
}

}  // namespace

BrokenText BreakText(QStringView text) {
    BrokenText result;
    qsizetype start = 0;
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = text[i].unicode();
        qsizetype length = 1;
        if (c == u'\r' && i + 1 < n && text[i + 1] == u'\n')
            length = 2;
        else if (c != u'\n' && c != u'\r' && c != 0x2029 && c != 0xfdd0 && c != 0xfdd1)
            continue;
        result.lines.append(text.mid(start, i - start).toString());
        result.breaks.append(text.mid(i, length).toString());
        i += length - 1;
        start = i + 1;
    }
    result.lines.append(text.mid(start).toString());
    return result;
}

QList<qsizetype> MatchLines(const QStringList& original, const QStringList& edited) {
    QList<qsizetype> match(edited.size(), -1);
    qsizetype head = 0;
    const qsizetype shorter = std::min(original.size(), edited.size());
    while (head < shorter && original.at(head) == edited.at(head)) {
        match[head] = head;
        ++head;
    }
    qsizetype tail = 0;
    while (tail < shorter - head && original.at(original.size() - 1 - tail) == edited.at(edited.size() - 1 - tail)) {
        match[edited.size() - 1 - tail] = original.size() - 1 - tail;
        ++tail;
    }
    MatchMiddle(original, head, original.size() - tail, edited, head, edited.size() - tail, match);
    return match;
}

QString JoinEditedLines(const BrokenText& original, const QStringList& edited, QStringView newBreak) {
    const QList<qsizetype> match = MatchLines(original.lines, edited);
    QString text;
    for (qsizetype j = 0; j < edited.size(); ++j) {
        if (j > 0) {
            const qsizetype before = match.at(j - 1);
            const qsizetype after = match.at(j);
            if (before >= 0 && before < original.breaks.size())
                text += original.breaks.at(before);
            else if (after > 0)
                text += original.breaks.at(after - 1);
            else
                text += newBreak;
        }
        text += edited.at(j);
    }
    return text;
}

}  // namespace orvexa
