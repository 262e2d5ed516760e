// The one table of the module's methods: the program's editor offers them
// after "orvex." as the table gives them, and the help page's table of the
// module lists the same methods, in its order, each row beginning with the
// method's line of help.
#include "automation/py.h"
#include "editor/MethodCompletion.h"
#include "editor/ScriptEdit.h"
#include "editor/ScriptTextEdit.h"
#include "tests/support/AppFixture.h"

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
