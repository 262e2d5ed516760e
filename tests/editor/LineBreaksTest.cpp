// Cutting a text into an editor's lines and joining edited lines back with
// the breaks they had.
#include "editor/LineBreaks.h"
#include "tests/support/QtPrinters.h"

#include <gtest/gtest.h>

using namespace orvexa;

TEST(BreakText, EveryBreakTheDocumentMakesIsKept) {
    const BrokenText t = BreakText(u"a\r\nb\nc\rd\u2029e\ufdd0f\ufdd1g\u2028h\r\r\n");
    EXPECT_EQ(t.lines, (QStringList{"a", "b", "c", "d", "e", "f", QStringLiteral("g\u2028h"), "", ""}));
    EXPECT_EQ(t.breaks, (QStringList{"\r\n", "\n", "\r", QStringLiteral("\u2029"), QStringLiteral("\ufdd0"),
                                     QStringLiteral("\ufdd1"), "\r", "\r\n"}));
    EXPECT_EQ(BreakText(u"").lines, QStringList{QString()});
    EXPECT_TRUE(BreakText(u"").breaks.isEmpty());
}

TEST(MatchLines, FindsTheLinesLeftUnchangedInOrder) {
    const QStringList before{"a", "b", "c", "d", "e"};
    EXPECT_EQ(MatchLines(before, before), (QList<qsizetype>{0, 1, 2, 3, 4}));
    EXPECT_EQ(MatchLines(before, {"a", "X", "c", "d", "Y", "e"}), (QList<qsizetype>{0, -1, 2, 3, -1, 4}));
    EXPECT_EQ(MatchLines(before, {"b", "d"}), (QList<qsizetype>{1, 3}));
    EXPECT_EQ(MatchLines(before, {"e", "a"}).count(-1), 1);
    EXPECT_EQ(MatchLines({}, {"x"}), QList<qsizetype>{-1});
    EXPECT_TRUE(MatchLines(before, {}).isEmpty());
    // Edits far apart in a long text.
    QStringList many;
    for (int i = 0; i < 20000; ++i)
        many.append(QString::number(i));
    QStringList edited = many;
    edited[10] = QStringLiteral("x");
    edited.removeAt(15000);
    const QList<qsizetype> match = MatchLines(many, edited);
    EXPECT_EQ(match.count(-1), 1);
    EXPECT_EQ(match.at(10), -1);
    EXPECT_EQ(match.at(15000), 15001);
}

TEST(JoinEditedLines, KeptLinesKeepTheirBreaksAndTypedOnesTakeTheNewBreak) {
    const BrokenText original = BreakText(u"a\r\nbc\nd\re\u2029f");
    EXPECT_EQ(JoinEditedLines(original, original.lines, u"#"), QStringLiteral("a\r\nbc\nd\re\u2029f"));
    // bc broken in two: the break after it stays after its second half.
    EXPECT_EQ(JoinEditedLines(original, {"a", "b", "c", "d", "e", "f"}, u"#"), QStringLiteral("a\r\nb#c\nd\re\u2029f"));
    // A line changed keeps the breaks around it.
    EXPECT_EQ(JoinEditedLines(original, {"a", "BC", "d", "e", "f"}, u"#"), QStringLiteral("a\r\nBC\nd\re\u2029f"));
    // d and e joined: the break between them goes.
    EXPECT_EQ(JoinEditedLines(original, {"a", "bc", "de", "f"}, u"#"), QStringLiteral("a\r\nbc\nde\u2029f"));
    // A line removed takes the break after it along.
    EXPECT_EQ(JoinEditedLines(original, {"a", "d", "e", "f"}, u"#"), QStringLiteral("a\r\nd\re\u2029f"));
    // Everything new.
    EXPECT_EQ(JoinEditedLines(original, {"x", "y"}, u"#"), QStringLiteral("x#y"));
}
