#include "core/Exception.h"
#include "core/ScriptText.h"
#include "tests/support/Bytes.h"
#include "tests/support/QtPrinters.h"
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
    EXPECT_EQ(TrimControl(u"\x7f"
                          "a"),
              QStringLiteral("\x7f"
                             "a"));
    EXPECT_EQ(TrimControl(u"   "), QString());
}

TEST(WithFullStop, AppendsOnlyAfterCharactersAboveTheFullStop) {
    EXPECT_EQ(WithFullStop(QStringLiteral("Cannot open file x")), QStringLiteral("Cannot open file x."));
    EXPECT_EQ(WithFullStop(QStringLiteral("done.")), QStringLiteral("done."));
    EXPECT_EQ(WithFullStop(QStringLiteral("a-")), QStringLiteral("a-"));         // '-' sorts before '.'
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

TEST(ReadScriptLines, Utf8FilesReadAsUtf8AndAByteOrderMarkIsNoText) {
    test::WorkingDir dir;
    dir.Write(QStringLiteral("u.orx"), "caf\xc3\xa9 \xf0\x9f\x98\x80\r\n\xe2\x82\xac\n");
    EXPECT_EQ(ReadScriptLines(QStringLiteral("u.orx")),
              (QStringList{QStringLiteral("caf\u00e9 \U0001F600"), QStringLiteral("\u20ac")}));
    dir.Write(QStringLiteral("bom.orx"), "\xef\xbb\xbf//SHORTDESC: b\n");
    EXPECT_EQ(ReadScriptLines(QStringLiteral("bom.orx")), QStringList{"//SHORTDESC: b"});
}

TEST(ReadScriptLines, AFileThatIsNotUtf8ReadsEveryByteAsItsLatin1Character) {
    test::WorkingDir dir;
    dir.Write(QStringLiteral("l.orx"), "caf\xe9\nna\xefve \xa0\x80\xff\n");
    EXPECT_EQ(ReadScriptLines(QStringLiteral("l.orx")),
              (QStringList{QStringLiteral("caf\u00e9"), QStringLiteral("na\u00efve \u00a0\u0080\u00ff")}));
    // One stray byte makes the whole file Latin-1, its UTF-8 sequences too.
    dir.Write(QStringLiteral("mixed.orx"), "caf\xc3\xa9\ncaf\xe9\n");
    EXPECT_EQ(ReadScriptLines(QStringLiteral("mixed.orx")),
              (QStringList{QStringLiteral("caf\u00c3\u00a9"), QStringLiteral("caf\u00e9")}));
    // A sequence cut short by the end of the file is no UTF-8 either.
    dir.Write(QStringLiteral("cut.orx"), "caf\xc3");
    EXPECT_EQ(ReadScriptLines(QStringLiteral("cut.orx")), QStringList{QStringLiteral("caf\u00c3")});
    // Neither are encoded surrogates and overlong forms.
    dir.Write(QStringLiteral("forms.orx"), "\xed\xa0\x80 \xc0\xaf");
    EXPECT_EQ(ReadScriptLines(QStringLiteral("forms.orx")),
              QStringList{QStringLiteral("\u00ed\u00a0\u0080 \u00c0\u00af")});
}

TEST(ReadScriptLines, BytesAfterTheNulStillDecideTheEncodingOfTheTextBeforeIt) {
    test::WorkingDir dir;
    // The editor shows the whole file; the lines before the NUL must read
    // the same there as in the list.
    dir.Write(QStringLiteral("n.orx"), QByteArray("caf\xc3\xa9\r\nx\0\xff", 10));
    EXPECT_EQ(ReadScriptLines(QStringLiteral("n.orx")), (QStringList{QStringLiteral("caf\u00c3\u00a9"), "x"}));
}

TEST(DecodeScript, TheFormRecordsEncodingMarkAndTheMostUsedLineEnd) {
    DecodedScript s = DecodeScript("a\r\nb\nc\r\n");
    EXPECT_EQ(s.form, (ScriptForm{ScriptEncoding::Utf8, false, LineEnd::CrLf}));
    // Used equally often, the first one wins; no line end at all is LF.
    EXPECT_EQ(DecodeScript("a\rb\nc").form.lineEnd, LineEnd::Cr);
    EXPECT_EQ(DecodeScript("a").form.lineEnd, LineEnd::Lf);
    s = DecodeScript("\xef\xbb\xbf\xef\xbb\xbfx\r");
    EXPECT_EQ(s.form, (ScriptForm{ScriptEncoding::Utf8, true, LineEnd::Cr}));
    EXPECT_EQ(s.text, QStringLiteral("\ufeffx\r")) << "only the first mark is no text";
    // In a Latin-1 file the bytes of a mark are characters like any other.
    s = DecodeScript("\xef\xbb\xbfx\xff");
    EXPECT_EQ(s.form, (ScriptForm{ScriptEncoding::Latin1, false, LineEnd::Lf}));
    EXPECT_EQ(s.text, QStringLiteral("\u00ef\u00bb\u00bfx\u00ff"));
    // Every well-formed sequence length, the largest code point included.
    EXPECT_EQ(DecodeScript("\x7f\xdf\xbf\xef\xbf\xbf\xf4\x8f\xbf\xbf").text,
              QStringLiteral("\u007f\u07ff\uffff\U0010FFFF"));
    for (const char* bad : {"\x80", "\xc1\xbf", "\xe0\x9f\xbf", "\xf0\x8f\xbf\xbf", "\xf4\x90\x80\x80",
                            "\xf5\x80\x80\x80", "\xe2\x82", "\xe2\x28\xac"})
        EXPECT_EQ(DecodeScript(bad).form.encoding, ScriptEncoding::Latin1) << bad;
}

TEST(EncodeScript, TheTextInItsOwnFormGivesBackTheBytes) {
    const QList<QByteArray> files = {
        "",
        "plain\n",
        "\xef\xbb\xbf"
        "caf\xc3\xa9\r\nx\r\n",
        "mixed\r\nends\nand\rcr",
        "caf\xe9 \xa0\x80\r\n",
        "caf\xc3",
        test::Bytes("x\0caf\xc3\xa9\n\0\xff"),
        "a\xc2\xa0"
        "b\xe2\x80\xa8"
        "c\xe2\x80\xa9\n",
    };
    for (const QByteArray& bytes : files) {
        const DecodedScript s = DecodeScript(bytes);
        EXPECT_EQ(WritableForm(s.text, s.form), s.form) << bytes.toHex().constData();
        EXPECT_EQ(EncodeScript(s.text, s.form), bytes) << bytes.toHex().constData();
    }
}

TEST(WritableForm, TextThatLatin1CannotHoldAsItIsWritesUtf8) {
    const ScriptForm latin1{ScriptEncoding::Latin1, false, LineEnd::CrLf};
    const ScriptForm utf8{ScriptEncoding::Utf8, false, LineEnd::CrLf};
    EXPECT_EQ(WritableForm(u"caf\u00e9", latin1), latin1);
    EXPECT_EQ(WritableForm(u"ascii", latin1), latin1);
    EXPECT_EQ(WritableForm(u"5 \u20ac", latin1), utf8) << "a character above U+00FF";
    // Its Latin-1 bytes would be valid UTF-8 and read back as "caf\u00e9".
    EXPECT_EQ(WritableForm(u"caf\u00c3\u00a9", latin1), utf8);
    EXPECT_EQ(WritableForm(u"\ufeffx", utf8), (ScriptForm{ScriptEncoding::Utf8, true, LineEnd::CrLf}));
    for (const QString& text :
         {QStringLiteral("5 \u20ac"), QStringLiteral("caf\u00c3\u00a9"), QStringLiteral("\ufeffx")}) {
        const ScriptForm form = WritableForm(text, latin1);
        EXPECT_EQ(DecodeScript(EncodeScript(text, form)).text, text);
    }
}

TEST(WriteScriptText, WritesTheTextInTheFormItCanBeReadBackIn) {
    test::WorkingDir dir;
    const ScriptForm latin1{ScriptEncoding::Latin1, false, LineEnd::Lf};
    EXPECT_EQ(WriteScriptText(QStringLiteral("w.orx"), u"caf\u00e9\n", latin1), latin1);
    EXPECT_EQ(ReadScriptBytes(QStringLiteral("w.orx")), "caf\xe9\n");
    const ScriptForm written = WriteScriptText(QStringLiteral("w.orx"), u"5 \u20ac\n", latin1);
    EXPECT_EQ(written.encoding, ScriptEncoding::Utf8);
    EXPECT_EQ(ReadScriptLines(QStringLiteral("w.orx")), QStringList{QStringLiteral("5 \u20ac")});
    try {
        WriteScriptText(QStringLiteral("no/such/dir/w.orx"), u"x", latin1);
        FAIL() << "no exception";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), QStringLiteral("Cannot create file no/such/dir/w.orx"));
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
