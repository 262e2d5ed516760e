// The one table of the module's methods: the program's editor offers them
// after "orvex." as the table gives them, and the help page's table of the
// module lists the same methods, in its order, each row beginning with the
// method's line of help. The shipped examples bind keys that fire.
#include "app/BindArming.h"
#include "automation/py.h"
#include "binds/BindParser.h"
#include "binds/Bindary.h"
#include "editor/MethodCompletion.h"
#include "editor/ScriptEdit.h"
#include "editor/ScriptTextEdit.h"
#include "tests/support/AppFixture.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTest>
#include <QTextDocumentFragment>

using namespace orvexa;

namespace {
class ModuleDocs : public test::AppFixture {};
}  // namespace

TEST_F(ModuleDocs, TheEditorOffersEveryMethodOfTheTableWithItsArgumentsAndHelp) {
    Start();
    TFormScriptEditor* editor = main()->ScriptEditor();
    editor->EditFileName = QString();
    editor->show();
    ScriptTextEdit* text = editor->RichEditScript;
    QTest::keyClicks(text, QStringLiteral("orvex."));
    ASSERT_TRUE(text->SendScintilla(QsciScintillaBase::SCI_AUTOCACTIVE));
    const MethodDocs docs = OrvexMethodDocs();
    ASSERT_EQ(docs.size(), 25);
    EXPECT_EQ(text->Completion().Items().size(), docs.size());
    for (const MethodDoc& doc : docs) {
        // The list's item for the method, as Scintilla holds it.
        text->SendScintilla(QsciScintillaBase::SCI_AUTOCSELECT, doc.name.toUtf8().constData());
        QByteArray item(1024, '\0');
        const long length = text->SendScintilla(QsciScintillaBase::SCI_AUTOCGETCURRENTTEXT, 0UL, item.data());
        item.truncate(length);
        const QString shown = QString::fromUtf8(item);
        EXPECT_TRUE(shown.startsWith(doc.Signature() + QStringLiteral("  "))) << shown.toStdString();
        EXPECT_TRUE(shown.endsWith(QStringLiteral("  ") + doc.help)) << shown.toStdString();
    }
}

TEST(HelpPage, ListsTheTablesMethodsInItsOrderEachRowBeginningWithItsHelp) {
    QFile page(QStringLiteral(ORVEXA_EXAMPLES_DIR "/orvexa_help.htm"));
    ASSERT_TRUE(page.open(QIODevice::ReadOnly));
    const QString html = QString::fromUtf8(page.readAll());
    static const QRegularExpression row(QStringLiteral(R"(<tr><td>(\w+\([^)]*\))</td><td>(.*?)</td></tr>)"),
                                        QRegularExpression::DotMatchesEverythingOption);
    QStringList signatures;
    QStringList helps;
    for (auto it = row.globalMatch(html); it.hasNext();) {
        const QRegularExpressionMatch match = it.next();
        signatures.append(match.captured(1));
        helps.append(QTextDocumentFragment::fromHtml(match.captured(2)).toPlainText().simplified());
    }
    const MethodDocs docs = OrvexMethodDocs();
    QStringList expected;
    for (const MethodDoc& doc : docs)
        expected.append(doc.Signature());
    ASSERT_EQ(signatures, expected);
    for (qsizetype i = 0; i < docs.size(); ++i)
        EXPECT_TRUE(helps.at(i).startsWith(docs.at(i).help))
            << docs.at(i).name.toStdString() << ": " << helps.at(i).toStdString();
}

TEST(ShippedExamples, EveryKeyBindFiresAndCombinationsWithControlOrAltAreTakenAsHotkeys) {
    const QStringList examples = QDir(QStringLiteral(ORVEXA_EXAMPLES_DIR)).entryList({QStringLiteral("*.orx")});
    ASSERT_FALSE(examples.isEmpty());
    bool text = false;
    for (const QString& example : examples) {
        SCOPED_TRACE(example.toStdString());
        TBindary binds(nullptr);
        ParseBinds(binds, QStringLiteral(ORVEXA_EXAMPLES_DIR "/") + example);
        EXPECT_EQ(KeyNameWarnings(binds).toStdString(), "");
        for (int i = 0; i < binds.BindCount(); ++i) {
            const TBindObj* bind = binds.GetBind(i);
            // A KEY bind's combination also reaches the window the user types
            // in: where Control or Alt makes it a shortcut, it is a HOTKEY's.
            if (bind->Event == QLatin1String("KEY")) {
                EXPECT_FALSE(bind->Argument.startsWith(QLatin1String("CONTROL-")) ||
                             bind->Argument.startsWith(QLatin1String("ALT-")))
                    << bind->Argument.toStdString();
            }
            text = text || bind->Event == QLatin1String("TEXT");
        }
    }
    EXPECT_TRUE(text) << "no example of a TEXT bind";
}
