// The bind section format: how a script file becomes a bind table.
#include "binds/BindParser.h"
#include "binds/Bindary.h"
#include "tests/support/FakeExecutor.h"
#include "tests/support/QtPrinters.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

using namespace orvexa;

namespace {

struct Parsed {
    test::WorkingDir dir;
    test::FakeExecutor engine;
    TBindary binds{&engine};

    explicit Parsed(const QByteArray& script) {
        dir.Write(QStringLiteral("s.orx"), script);
        ParseBinds(binds, QStringLiteral("s.orx"));
    }
    const TBindObj& at(int i) const { return *binds.GetBind(i); }
};

}  // namespace

TEST(RemoveComments, CutsAtTheFirstHashWithoutTrimming) {
    EXPECT_EQ(RemoveComments(QStringLiteral("  x = 1  # note # more")), QStringLiteral("  x = 1  "));
    EXPECT_EQ(RemoveComments(QStringLiteral("print('#')")), QStringLiteral("print('"));
    EXPECT_EQ(RemoveComments(QStringLiteral("no comment")), QStringLiteral("no comment"));
}

TEST(ParseBinds, HeadersStartEntriesInFileOrderAndCodeFollowsThem) {
    Parsed p(
        "//SHORTDESC: demo\nprint('never')\n"
        "//BIND MAIN\nx = 1\n\n# gone\n   # blanks stay\ny = 2\n"
        "//BIND TIMER 100\ntick()\n"
        "//BIND KEY CONTROL-A\nkey()\n");
    ASSERT_EQ(p.binds.BindCount(), 3);
    EXPECT_EQ(p.at(0).Event, QStringLiteral("MAIN"));
    EXPECT_EQ(p.at(0).Argument, QString());
    EXPECT_EQ(p.at(0).CodeLines, (QStringList{"x = 1", "   ", "y = 2"}));
    EXPECT_EQ(p.at(1).Event, QStringLiteral("TIMER"));
    EXPECT_EQ(p.at(1).Argument, QStringLiteral("100"));
    EXPECT_TRUE(p.at(1).HasTimer());
    EXPECT_EQ(p.at(1).Interval(), 100u);
    EXPECT_EQ(p.at(2).Argument, QStringLiteral("CONTROL-A"));
    EXPECT_EQ(p.at(2).CodeLines, QStringList{"key()"});
    EXPECT_EQ(p.binds.GetBind(3), nullptr);
}

TEST(ParseBinds, EventWordQuirks) {
    Parsed p(
        "//BIND main\n"             // lower case: upper-cased
        "//BIND  MAIN\n"            // two blanks: empty event, MAIN is the argument
        "  //BIND MAIN\n"           // marker not at line start: event from the 8th character
        "//BINDMAIN\n"              // no blank: loses the first letter
        "//BIND KEY\tA\n"           // tab does not separate
        "//BIND key control-a\n"    // argument keeps its case
        "//BIND KEY A # comment\n"  // comment cut before reading
        "# //BIND MAIN\n"           // after a hash: no header
        "//BIND KEY  B  \n");       // argument trimmed
    ASSERT_EQ(p.binds.BindCount(), 8);
    EXPECT_EQ(p.at(0).Event, QStringLiteral("MAIN"));
    EXPECT_EQ(p.at(1).Event, QString());
    EXPECT_EQ(p.at(1).Argument, QStringLiteral("MAIN"));
    EXPECT_EQ(p.at(2).Event, QStringLiteral("D"));
    EXPECT_EQ(p.at(2).Argument, QStringLiteral("MAIN"));
    EXPECT_EQ(p.at(3).Event, QStringLiteral("AIN"));
    EXPECT_EQ(p.at(3).Argument, QString());
    EXPECT_EQ(p.at(4).Event, QStringLiteral("KEY\tA"));
    EXPECT_EQ(p.at(4).Argument, QString());
    EXPECT_EQ(p.at(5).Event, QStringLiteral("KEY"));
    EXPECT_EQ(p.at(5).Argument, QStringLiteral("control-a"));
    EXPECT_EQ(p.at(6).Argument, QStringLiteral("A"));
    EXPECT_EQ(p.at(7).Argument, QStringLiteral("B"));
}

TEST(ParseBinds, TimerArguments) {
    Parsed p(
        "//BIND TIMER 0\n//BIND TIMER abc\n//BIND TIMER $10\n//BIND TIMER -1\n"
        "//BIND TIMER 99999999999\n//BIND TIMER\n//BIND timer 5\n//BIND TIMER +7\n");
    ASSERT_EQ(p.binds.BindCount(), 8);
    EXPECT_TRUE(p.at(0).HasTimer());
    EXPECT_EQ(p.at(0).Interval(), 0u);
    EXPECT_FALSE(p.at(1).HasTimer());
    EXPECT_EQ(p.at(2).Interval(), 16u);
    EXPECT_EQ(p.at(3).Interval(), 4294967295u);  // unsigned: 2^32 - 1
    EXPECT_FALSE(p.at(4).HasTimer());            // out of the signed 32-bit range
    EXPECT_FALSE(p.at(5).HasTimer());
    EXPECT_TRUE(p.at(6).HasTimer());
    EXPECT_EQ(p.at(7).Interval(), 7u);
}

TEST(ParseBinds, LastLineHeaderAndCommentOnlyCodeGiveEmptyLists) {
    Parsed p("//BIND MAIN\n# only a comment\n\n//BIND KEY A");
    ASSERT_EQ(p.binds.BindCount(), 2);
    EXPECT_TRUE(p.at(0).CodeLines.isEmpty());
    EXPECT_TRUE(p.at(1).CodeLines.isEmpty());
}

TEST(ParseBinds, HashInStringLiteralIsCutAndLineEndsAreAnyKind) {
    Parsed p("//BIND MAIN\r\nprint('a#b')\rx=1\r\n");
    ASSERT_EQ(p.binds.BindCount(), 1);
    EXPECT_EQ(p.at(0).CodeLines, (QStringList{"print('a", "x=1"}));
}

TEST(ParseBinds, MissingFileClearsTheTable) {
    Parsed p("//BIND MAIN\nx\n");
    ASSERT_EQ(p.binds.BindCount(), 1);
    ParseBinds(p.binds, QStringLiteral("gone.orx"));
    EXPECT_EQ(p.binds.BindCount(), 0);
}

TEST(ParseBinds, AFileThatIsNotUtf8KeepsItsLatin1CharactersInCodeAndArguments) {
    Parsed p("//BIND KEY \xe9\nprint('Gr\xfc\xdf Gott')  # s\xfc\xdf\n");
    ASSERT_EQ(p.binds.BindCount(), 1);
    EXPECT_EQ(p.at(0).Argument, QStringLiteral("\u00e9"));
    EXPECT_EQ(p.at(0).CodeLines, QStringList{QStringLiteral("print('Gr\u00fc\u00df Gott')  ")});
}

TEST(ParseBinds, Utf8CodeReadsAsBefore) {
    Parsed p("\xef\xbb\xbf//BIND MAIN\r\nprint('Gr\xc3\xbc\xc3\x9f \xf0\x9f\x98\x80')\r\n");
    ASSERT_EQ(p.binds.BindCount(), 1);
    EXPECT_EQ(p.at(0).Event, QStringLiteral("MAIN")) << "the byte order mark is no character of the header";
    EXPECT_EQ(p.at(0).CodeLines, QStringList{QStringLiteral("print('Gr\u00fc\u00df \U0001F600')")});
}
