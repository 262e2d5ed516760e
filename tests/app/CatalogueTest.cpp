// The script catalogue: listing, short and long descriptions, selection.
#include "binds/Bindary.h"
#include "core/Exception.h"
#include "core/ScriptText.h"
#include "editor/ScriptEdit.h"
#include "editor/ScriptTextEdit.h"
#include "tests/support/AppFixture.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QPlainTextEdit>

using namespace orvexa;

namespace {
class Catalogue : public test::AppFixture {};
}  // namespace

TEST_F(Catalogue, EmptyDirectoryListsNothing) {
    Start();
    EXPECT_TRUE(Items().isEmpty());
    EXPECT_EQ(main()->ComboBoxScript->currentIndex(), -1);
    EXPECT_EQ(main()->CurrentScript, QString());
    EXPECT_EQ(Description(), QString());
}

TEST_F(Catalogue, ShortDescriptionRules) {
    dir.Write(QStringLiteral("plain.orx"), "print(1)\n");
    dir.Write(QStringLiteral("empty.orx"), "//SHORTDESC:\n");
    dir.Write(QStringLiteral("two.orx"), "//SHORTDESC: first\n//SHORTDESC:  second \t\n");
    dir.Write(QStringLiteral("hash.orx"), "# x //SHORTDESC: after hash\n");
    Start();
    QStringList items = Items();
    items.sort();
    EXPECT_EQ(items, (QStringList{"", "after hash", "plain.orx", "second"}));
    for (int i = 0; i < main()->ScriptPaths.size(); ++i)
        EXPECT_EQ(main()->GetShortDesc(main()->ScriptPaths.at(i)), Items()[i]);
}

TEST_F(Catalogue, LongDescriptionRanges) {
    dir.Write(QStringLiteral("a.orx"),
              "x //LONGDESC: not shown\n  indented # kept\n//SHORTDESC: s\n//ENDLONGDESC\nafter\n");
    dir.Write(QStringLiteral("b.orx"), "//LONGDESC:\none\ntwo\n");
    dir.Write(QStringLiteral("c.orx"), "//LONGDESC:\n//ENDLONGDESC\nnot shown\n");
    dir.Write(QStringLiteral("d.orx"), "//LONGDESC:\nfirst\n//LONGDESC:\nsecond\n//ENDLONGDESC\n//LONGDESC:\n");
    Start();
    main()->LoadLongDesc(QStringLiteral("a.orx"));
    EXPECT_EQ(Description(), QStringLiteral("  indented # kept\n//SHORTDESC: s"));
    main()->LoadLongDesc(QStringLiteral("b.orx"));
    EXPECT_EQ(Description(), QStringLiteral("one\ntwo"));
    main()->LoadLongDesc(QStringLiteral("c.orx"));
    EXPECT_EQ(Description(), QString());
    main()->LoadLongDesc(QStringLiteral("d.orx"));
    EXPECT_EQ(Description(), QStringLiteral("first\n//LONGDESC:\nsecond"));
}

TEST_F(Catalogue, HiddenFilesAnyCaseAndDirectoriesAreListed) {
    dir.Write(QStringLiteral(".hidden.orx"), "//SHORTDESC: hidden\n");
    dir.Write(QStringLiteral("UPPER.ORX"), "//SHORTDESC: upper\n");
    dir.Write(QStringLiteral("other.txt"), "//SHORTDESC: not a script\n");
    QDir().mkdir(QStringLiteral("folder.orx"));
    Start();
    QStringList items = Items();
    items.sort();
    EXPECT_EQ(items, (QStringList{"folder.orx", "hidden", "upper"}));

    // Select a real script, then the directory: only CurrentScript changes.
    const int file = static_cast<int>(main()->ScriptPaths.indexOf(QStringLiteral("UPPER.ORX")));
    dir.Write(QStringLiteral("UPPER.ORX"),
              "//SHORTDESC: upper\n//LONGDESC:\nabout upper\n//ENDLONGDESC\n//BIND MAIN\nx\n");
    Select(file);
    ASSERT_EQ(main()->CurrentScript, QStringLiteral("UPPER.ORX"));
    const int folder = static_cast<int>(main()->ScriptPaths.indexOf(QStringLiteral("folder.orx")));
    Select(folder);
    EXPECT_EQ(main()->CurrentScript, QString());
    EXPECT_EQ(Description(), QStringLiteral("about upper"));
    EXPECT_EQ(main()->Binds->BindCount(), 1);
}

TEST_F(Catalogue, ItemIOpensFileIEvenWithEqualShortDescriptions) {
    dir.Write(QStringLiteral("one.orx"), "//SHORTDESC: same\n//LONGDESC:\nfile one\n");
    dir.Write(QStringLiteral("two.orx"), "//SHORTDESC: same\n//LONGDESC:\nfile two\n");
    Start();
    for (int i = 0; i < 2; ++i) {
        Select(i);
        EXPECT_EQ(main()->CurrentScript, main()->ScriptPaths.at(i));
        EXPECT_EQ(Description(),
                  main()->ScriptPaths.at(i) == u"one.orx" ? QStringLiteral("file one") : QStringLiteral("file two"));
    }
}

TEST_F(Catalogue, FileThatVanishesBeforeSelectionChangesOnlyCurrentScript) {
    dir.Write(QStringLiteral("a.orx"), "//LONGDESC:\nA\n//ENDLONGDESC\n//BIND MAIN\nx\n");
    Start();
    ASSERT_EQ(main()->CurrentScript, QStringLiteral("a.orx"));
    QFile::remove(QStringLiteral("a.orx"));
    Select(0);
    EXPECT_EQ(main()->CurrentScript, QString());
    EXPECT_EQ(Description(), QStringLiteral("A"));
    EXPECT_EQ(main()->Binds->BindCount(), 1);
}

TEST_F(Catalogue, UnreadableFileFailsTheListingAfterWhatWasDone) {
    Start();
    dir.Write(QStringLiteral("good.orx"), "//SHORTDESC: good\n//LONGDESC:\nG\n//BIND MAIN\nx\n");
    main()->LoadScriptsCombo();
    ASSERT_EQ(main()->CurrentScript, QStringLiteral("good.orx"));
    dir.MakeUnreadable(QStringLiteral("bad.orx"));
    try {
        main()->LoadScriptsCombo();
        FAIL() << "no exception";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), QStringLiteral("Cannot open file bad.orx"));
    }
    // Whatever readdir returned before the bad entry stays listed, and the
    // list shows that nothing is selected.
    EXPECT_EQ(main()->ScriptPaths.size(), main()->ComboBoxScript->count());
    EXPECT_LE(main()->ScriptPaths.size(), 1);
    EXPECT_EQ(main()->ComboBoxScript->currentIndex(), -1);
    EXPECT_EQ(main()->ComboBoxScript->currentText(), QString());
    EXPECT_EQ(main()->CurrentScript, QString());

    // While selecting: CurrentScript set, description cleared, binds kept.
    QFile::remove(QStringLiteral("bad.orx"));
    main()->LoadScriptsCombo();
    ASSERT_EQ(main()->Binds->BindCount(), 1);
    main()->ScriptPaths.replace(0, QStringLiteral("bad.orx"));
    dir.MakeUnreadable(QStringLiteral("bad.orx"));
    EXPECT_THROW(main()->ComboBoxScriptChange(), Exception);
    EXPECT_EQ(main()->CurrentScript, QStringLiteral("bad.orx"));
    EXPECT_EQ(Description(), QString());
    EXPECT_EQ(main()->Binds->BindCount(), 1);
}

TEST_F(Catalogue, EntriesThatAreNoFilesAreListedByNameAndNeverOpened) {
    dir.Write(QStringLiteral("good.orx"), "//SHORTDESC: good\n");
    dir.MakeFifo(QStringLiteral("pipe.orx"));
    dir.MakeSocket(QStringLiteral("sock.orx"));
    dir.MakeLink(QStringLiteral("zero.orx"), QStringLiteral("/dev/zero"));
    Start();  // a FIFO opened for reading would wait here for ever
    QStringList items = Items();
    items.sort();
    EXPECT_EQ(items, (QStringList{"good", "pipe.orx", "sock.orx", "zero.orx"}));
    EXPECT_TRUE(dialogs->shown.empty());
    for (const char* entry : {"pipe.orx", "sock.orx", "zero.orx"}) {
        Select(static_cast<int>(main()->ScriptPaths.indexOf(QLatin1String(entry))));
        EXPECT_EQ(main()->CurrentScript, QString()) << entry;
    }
}

TEST_F(Catalogue, BadInputLoadsWithoutHangingOrWriting) {
    // Binary noise, and lines one character longer than the description box
    // (64K) and a list entry (1K) hold.
    constexpr qsizetype kDescription = 64 * 1024;
    constexpr qsizetype kEntry = 1024;
    QByteArray binary(kDescription + 1, '\0');
    for (qsizetype i = 0; i < binary.size(); ++i)
        binary[i] = static_cast<char>((i * 7919 + 13) % 255 + 1);
    QByteArray huge = "//SHORTDESC: huge\n//LONGDESC:\n" + QByteArray(kDescription + 1, 'x') + "\n//BIND MAIN\n";
    dir.Write(QStringLiteral("binary.orx"), binary);
    dir.Write(QStringLiteral("huge.orx"), huge);
    dir.Write(QStringLiteral("longname.orx"), "//SHORTDESC: " + QByteArray(kEntry + 1, 'n') + "\n");
    const QDateTime before = QFileInfo(QStringLiteral("huge.orx")).lastModified();
    Start();
    for (int i = 0; i < main()->ComboBoxScript->count(); ++i)
        Select(i);
    EXPECT_TRUE(Items().contains(QStringLiteral("huge")));
    // The description box and the list take what a control holds, from the start.
    const int hugeIndex = static_cast<int>(main()->ScriptPaths.indexOf(QStringLiteral("huge.orx")));
    Select(hugeIndex);
    EXPECT_EQ(Description().size(), kDescription);
    EXPECT_TRUE(Description().startsWith(QStringLiteral("xxxx")));
    for (const QString& item : Items())
        EXPECT_LE(item.size(), kEntry);
    EXPECT_EQ(QFileInfo(QStringLiteral("huge.orx")).size(), huge.size());
    EXPECT_EQ(QFileInfo(QStringLiteral("huge.orx")).lastModified(), before);
}

namespace {
// The lines that the editor shows for a file.
QStringList EditorLines(TFormScriptEditor& editor, const QString& name) {
    editor.LoadScript(name);
    return SplitLines(editor.RichEditScript->RawText());
}
}  // namespace

TEST_F(Catalogue, ADescriptionThatIsNotUtf8ReadsTheSameInTheListTheBoxAndTheEditor) {
    dir.Write(QStringLiteral("latin.orx"),
              "//SHORTDESC: Caf\xe9 cr\xe8me\r\n//LONGDESC:\r\nD\xe9j\xe0 vu\r\n//ENDLONGDESC\r\n");
    Start();
    ASSERT_EQ(Items(), QStringList{QStringLiteral("Caf\u00e9 cr\u00e8me")});
    EXPECT_EQ(Description(), QStringLiteral("D\u00e9j\u00e0 vu"));
    const QStringList shown = EditorLines(*main()->ScriptEditor(), QStringLiteral("latin.orx"));
    ASSERT_GE(shown.size(), 3);
    EXPECT_EQ(QStringLiteral("//SHORTDESC: ") + Items().at(0), shown.at(0));
    EXPECT_EQ(Description(), shown.at(2));
}

TEST_F(Catalogue, BindCodeThatIsNotUtf8ReadsTheSameInTheBindTableAndTheEditor) {
    dir.Write(QStringLiteral("latin.orx"), "//BIND MAIN\nprint('Gr\xfc\xdf Gott')\n");
    Start();
    ASSERT_EQ(main()->Binds->BindCount(), 1);
    const QStringList code = main()->Binds->GetBind(0)->CodeLines;
    EXPECT_EQ(code, QStringList{QStringLiteral("print('Gr\u00fc\u00df Gott')")});
    const QStringList shown = EditorLines(*main()->ScriptEditor(), QStringLiteral("latin.orx"));
    ASSERT_GE(shown.size(), 2);
    EXPECT_EQ(code, QStringList{shown.at(1)});
}
