// The bind section format: how a script file becomes a bind table.
#include "binds/BindParser.h"
#include "binds/Bindary.h"
#include "binds/CommentStripper.h"
#include "tests/support/FakeExecutor.h"
#include "tests/support/QtPrinters.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <QFileInfo>

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

// Comment removal as Python reads it: lines in file order, each row one
// script; what each line keeps.
struct StripCase {
    const char* what;
    QStringList lines;
    QStringList kept;
};

class CommentRemoval : public ::testing::TestWithParam<StripCase> {};

TEST_P(CommentRemoval, KeepsWhatPythonReadsAsCode) {
    CommentStripper stripper;
    QStringList kept;
    for (const QString& line : GetParam().lines)
        kept.append(stripper.Strip(line));
    EXPECT_EQ(kept, GetParam().kept) << GetParam().what;
}

INSTANTIATE_TEST_SUITE_P(
    Lines, CommentRemoval,
    ::testing::Values(
        // The cases of a plain "#": cut at the first, nothing trimmed.
        StripCase{"first hash", {"  x = 1  # note # more"}, {"  x = 1  "}},
        StripCase{"no comment", {"no comment"}, {"no comment"}}, StripCase{"commented header", {"# //BIND MAIN"}, {""}},
        StripCase{"indented comment", {"   # blanks stay"}, {"   "}},
        // A "#" inside a string is the string's.
        StripCase{"double quotes", {"print(\"colour #FF0000\")  # red"}, {"print(\"colour #FF0000\")  "}},
        StripCase{"single quotes", {"orvex.TypeText('!@#$%^&*()')"}, {"orvex.TypeText('!@#$%^&*()')"}},
        StripCase{"escaped quote", {"s = 'it\\'s #1' # c"}, {"s = 'it\\'s #1' "}},
        StripCase{"escaped backslash", {"s = \"a\\\\\" # c"}, {"s = \"a\\\\\" "}},
        StripCase{"other quote inside", {"s = \"'''#\" # c"}, {"s = \"'''#\" "}},
        StripCase{"triple over lines",
                  {"s = '''one # a", "", "two # b''' # c", "# d"},
                  {"s = '''one # a", "", "two # b''' ", ""}},
        StripCase{"triple double quotes", {"s = \"\"\"a \" # b\"\"\" # c"}, {"s = \"\"\"a \" # b\"\"\" "}},
        StripCase{"backslash continues a string", {"s = 'a \\", "#b' # c"}, {"s = 'a \\", "#b' "}},
        StripCase{"unterminated string ends with its line", {"s = 'a # b", "x # c"}, {"s = 'a # b", "x "}},
        StripCase{"backslash continues code", {"x = 1 + \\", "# c"}, {"x = 1 + \\", ""}},
        // Prefixes, in any case and combination.
        StripCase{"raw", {"p = r'\\d+#' # c"}, {"p = r'\\d+#' "}},
        StripCase{"raw ending in an escaped quote", {"p = R\"\\\"#\" # c"}, {"p = R\"\\\"#\" "}},
        StripCase{"bytes", {"b = rB'#' + Br\"#\" + b'#' # c"}, {"b = rB'#' + Br\"#\" + b'#' "}},
        StripCase{"unicode", {"u = U'#' # c"}, {"u = U'#' "}},
        StripCase{"word before a quote is no prefix", {"x = bar'#' # c"}, {"x = bar'#' "}},
        // f-strings: fields are code, with strings and comments of their own.
        StripCase{"f-string", {"f'{n} #{n}' # c"}, {"f'{n} #{n}' "}},
        StripCase{"f-string format specifier", {"f\"{255:#x}\" # c"}, {"f\"{255:#x}\" "}},
        StripCase{"string in a field", {"f\"{d['#']}\" # c"}, {"f\"{d['#']}\" "}},
        StripCase{"same quote in a field", {"f\"{d[\"#\"]}\" # c"}, {"f\"{d[\"#\"]}\" "}},
        StripCase{"doubled braces", {"Rf'{{#}}' # c"}, {"Rf'{{#}}' "}},
        StripCase{"named character", {"f'\\N{NUMBER SIGN}#' # c"}, {"f'\\N{NUMBER SIGN}#' "}},
        StripCase{"comment in a field of a triple f-string",
                  {"s = f'''{x  # the value", "} #'''  # c"},
                  {"s = f'''{x  ", "} #'''  "}}));

TEST(RemoveComments, ReadsOneLineAlone) {
    EXPECT_EQ(RemoveComments(QStringLiteral("print('#')  # c")), QStringLiteral("print('#')  "));
    EXPECT_EQ(RemoveComments(QStringLiteral("x = '''a # b")), QStringLiteral("x = '''a # b"));
    EXPECT_EQ(RemoveComments(QStringLiteral("y # c")), QStringLiteral("y "));
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

TEST(ParseBinds, StringsKeepTheirHashesAndLinesAndLineEndsAreAnyKind) {
    Parsed p("//BIND MAIN\r\nprint('a#b')\rs = '''x # y\n\n# z'''  # c\r\n//BIND KEY A # c '''\nk = 1\n");
    ASSERT_EQ(p.binds.BindCount(), 2);
    EXPECT_EQ(p.at(0).CodeLines, (QStringList{"print('a#b')", "s = '''x # y", "", "# z'''  "}))
        << "an empty line inside a string is the string's";
    EXPECT_EQ(p.at(1).Argument, QStringLiteral("A")) << "the quotes in the header's comment open no string";
    EXPECT_EQ(p.at(1).CodeLines, QStringList{"k = 1"});
}

TEST(ParseBinds, EachCodeLineKnowsItsFileLine) {
    Parsed p(
        "//SHORTDESC: places\n"  // 1
        "//BIND MAIN\n"          // 2
        "\n"                     // 3
        "# comment\n"            // 4
        "x = 1\n"                // 5
        "   # indented\n"        // 6
        "y = 2  # trailing\n"    // 7
        "//BIND KEY A\n"         // 8
        "z = 3\n");              // 9
    ASSERT_EQ(p.binds.BindCount(), 2);
    const SourcePlace& main = p.at(0).Place;
    EXPECT_EQ(main.fileName, QFileInfo(p.dir.Path() + QStringLiteral("/s.orx")).absoluteFilePath());
    EXPECT_EQ(p.at(0).CodeLines, (QStringList{"x = 1", "   ", "y = 2  "}));
    EXPECT_EQ(main.lineNumbers, (QList<int>{5, 6, 7}));
    ASSERT_TRUE(main.fileLines);
    EXPECT_EQ(main.fileLines->at(6), QStringLiteral("y = 2  # trailing")) << "the file's lines as read";
    EXPECT_EQ(p.at(1).Place.lineNumbers, QList<int>{9});
    EXPECT_EQ(p.at(1).Place.fileLines, main.fileLines) << "one copy of the file for the table";
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
