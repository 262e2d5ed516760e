#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace orvexa {

// A text cut into the lines an editor shows, with the characters that broke
// it between them: CR LF, LF or CR, and also U+2029, U+FDD0 and U+FDD1, at
// which a text document breaks its blocks too. breaks has one entry less
// than lines; the empty text is one empty line.
struct BrokenText {
    QStringList lines;
    QStringList breaks;
};

BrokenText BreakText(QStringView text);

// For each line of edited, the index of the line of original it is left
// unchanged from, or -1 for a line that was written or changed. The lines
// kept are a longest run of lines common to both in order; past a limit of
// work, only the unchanged lines at the start and the end are found.
QList<qsizetype> MatchLines(const QStringList& original, const QStringList& edited);

// Joins edited lines back into a text. Between two lines the break is the
// one of original that followed the first of them, when that line is
// unchanged and not the last; otherwise the one that came before the second
// of them, when that line is unchanged and not the first; otherwise
// newBreak (the break of a line that was typed).
QString JoinEditedLines(const BrokenText& original, const QStringList& edited, QStringView newBreak);

}  // namespace orvexa
