#include "tests/support/QtPrinters.h"
#include "core/Exception.h"
#include "core/ScriptText.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>


using namespace orvexa;

TEST(SplitLines, EveryLineEndKind) {
    EXPECT_EQ(SplitLines(u"a\r\nb\nc\rd"), (QStringList{"a", "b", "c", "d"}));
    EXPECT_EQ(SplitLines(u"a\n"), QStringList{"a"});
    EXPECT_EQ(SplitLines(u"a\n\n"), (QStringList{"a", ""}));
    EXPECT_EQ(SplitLines(u"\r\n\r\n"), (QStringList{"", ""}));
    EXPECT_TRUE(SplitLines(u"").isEmpty());
    // CR CR LF is a lone CR and then a CR LF: two line ends.
    EXPECT_EQ(SplitLines(u"x\r\r\ny"), (QStringList{"x", "", "y"}));
}

TEST(TrimControl, RemovesCodesUpTo32Only) {
    EXPECT_EQ(TrimControl(u"\t \x01 ab c\r\n\x1f"), QStringLiteral("ab c"));
    EXPECT_EQ(TrimControl(u"\x7f" "a"), QStringLiteral("\x7f" "a"));
    EXPECT_EQ(TrimControl(u"   "), QString());
}

TEST(WithFullStop, AppendsOnlyAfterCharactersAboveTheFullStop) {
    EXPECT_EQ(WithFullStop(QStringLiteral("Cannot open file x")), QStringLiteral("Cannot open file x."));
    EXPECT_EQ(WithFullStop(QStringLiteral("done.")), QStringLiteral("done."));
    EXPECT_EQ(WithFullStop(QStringLiteral("a-")), QStringLiteral("a-"));  // '-' sorts before '.'
    EXPECT_EQ(WithFullStop(QStringLiteral("what?")), QStringLiteral("what?."));  // '?' sorts after '.'
    EXPECT_EQ(WithFullStop(QStringLiteral("(x)")), QStringLiteral("(x)"));
    EXPECT_EQ(WithFullStop(QString()), QString());
}

TEST(ReadScriptLines, NulEndsTheTextAndBadFilesFailWithTheirName) {
    test::WorkingDir dir;
    dir.Write(QStringLiteral("a.orx"), QByteArray("one\r\ntwo\0three\nfour", 20));
    EXPECT_EQ(ReadScriptLines(QStringLiteral("a.orx")), (QStringList{"one", "two"}));

    dir.MakeUnreadable(QStringLiteral("locked.orx"));
    ASSERT_TRUE(FileExists(QStringLiteral("locked.orx")));
    try {
        ReadScriptLines(QStringLiteral("locked.orx"));
        FAIL() << "no exception";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), QStringLiteral("Cannot open file locked.orx"));
    }
}

TEST(FileExists, OnlyRegularFilesCountLinksFollowed) {
    test::WorkingDir dir;
    dir.Write(QStringLiteral("real.orx"), "x");
    dir.MakeFifo(QStringLiteral("pipe.orx"));
    dir.MakeSocket(QStringLiteral("sock.orx"));
    dir.MakeLink(QStringLiteral("zero.orx"), QStringLiteral("/dev/zero"));
    dir.MakeLink(QStringLiteral("alias.orx"), dir.Path() + QStringLiteral("/real.orx"));
    dir.MakeLink(QStringLiteral("dangling.orx"), dir.Path() + QStringLiteral("/nowhere"));
    EXPECT_TRUE(FileExists(QStringLiteral("real.orx")));
    EXPECT_TRUE(FileExists(QStringLiteral("alias.orx")));
    for (const char* entry : {"pipe.orx", "sock.orx", "zero.orx", "dangling.orx", ""})
        EXPECT_FALSE(FileExists(QLatin1String(entry))) << entry;
}

TEST(ReadScriptLines, EntriesThatAreNoFilesFailAtOnceInsteadOfBlockingOrFillingMemory) {
    test::WorkingDir dir;
    dir.MakeFifo(QStringLiteral("pipe.orx"));
    dir.MakeLink(QStringLiteral("zero.orx"), QStringLiteral("/dev/zero"));
    for (const char* entry : {"pipe.orx", "zero.orx"}) {
        try {
            ReadScriptLines(QLatin1String(entry));
            ADD_FAILURE() << "no exception for " << entry;
        } catch (const Exception& e) {
            EXPECT_EQ(e.Message(), QStringLiteral("Cannot open file ") + QLatin1String(entry));
        }
    }
    // Up to the limit a file is read; one byte more is not.
    QByteArray limit(kScriptSizeLimit, 'x');
    limit[0] = 'a';
    dir.Write(QStringLiteral("limit.orx"), limit);
    EXPECT_EQ(ReadScriptBytes(QStringLiteral("limit.orx")).size(), kScriptSizeLimit);
    dir.MakeUnreadable(QStringLiteral("over.orx"));
    EXPECT_THROW(ReadScriptBytes(QStringLiteral("over.orx")), Exception);
}

TEST(FileExists, ADirectoryDoesNotCount) {
    test::WorkingDir dir;
    dir.Write(QStringLiteral("f.orx"), "x");
    QDir().mkdir(QStringLiteral("d.orx"));
    EXPECT_TRUE(FileExists(QStringLiteral("f.orx")));
    EXPECT_FALSE(FileExists(QStringLiteral("d.orx")));
    EXPECT_FALSE(FileExists(QStringLiteral("missing.orx")));
}
