// The GUI IO component delivering into the Output window's control.
#include "extension/PythonGUIInputOutput.h"
#include "extension/output.h"
#include "platform/fake/ScriptedDialogs.h"
#include "tests/support/QtPrinters.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>

#include <memory>
#include <thread>

using namespace orvexa;

namespace {
class GUIOutput : public ::testing::Test {
protected:
    void SetUp() override {
        io.SetOutput(form.RichEditOutput);
        io.SetDialogs(scripted);
    }
    // What the control shows once the event loop has turned.
    QString Text() const {
        QCoreApplication::sendPostedEvents();
        return form.RichEditOutput->toPlainText();
    }
    QStringList Shown() const { return Text().split(u'\n'); }

    std::shared_ptr<platform::ScriptedDialogs> scripted = std::make_shared<platform::ScriptedDialogs>();
    platform::ScriptedDialogs* dialogs = scripted.get();
    TFormOutput form;
    TPythonGUIInputOutput io;
};
}  // namespace

TEST_F(GUIOutput, LinesArriveWhileHiddenAndClearEmptiesTheControl) {
    ASSERT_FALSE(form.isVisible());
    io.Write(u"first\nsecond\n");
    EXPECT_FALSE(form.isVisible()) << "output never shows the window";
    EXPECT_EQ(Shown(), (QStringList{"first", "second"}));
    form.ButtonClear->click();
    EXPECT_EQ(Text(), QString());
    io.Write(u"after\n");
    EXPECT_EQ(Shown(), QStringList{"after"});
}

TEST_F(GUIOutput, ControlKeepsAtMostMaxLinesAndScrollsToTheNewest) {
    io.MaxLines = 5;
    form.resize(200, 100);
    form.show();
    for (int i = 0; i < 50; ++i)
        io.Write(QStringLiteral("line %1\n").arg(i));
    EXPECT_EQ(Shown(), (QStringList{"line 45", "line 46", "line 47", "line 48", "line 49"}));
    QScrollBar* bar = form.RichEditOutput->verticalScrollBar();
    EXPECT_EQ(bar->value(), bar->maximum());

    io.MaxLines = 0;
    io.Write(u"only\nlast\n");
    EXPECT_EQ(Shown(), QStringList{"last"});
}

TEST_F(GUIOutput, ALineWithoutItsEndIsNotShown) {
    io.Write(u"prompt: ");
    EXPECT_EQ(Text(), QString());
    io.Write(u"answer\n");
    EXPECT_EQ(Shown(), QStringList{"prompt: answer"});
}

TEST_F(GUIOutput, DelayedLinesAreShownByTheEventLoopOneByOne) {
    io.DelayWrites = true;
    io.Write(u"a\nb\n");
    EXPECT_EQ(Text(), QString());
    QCoreApplication::processEvents();
    EXPECT_EQ(Shown(), (QStringList{"a", "b"}));
}

TEST_F(GUIOutput, HandlerTakesLinesInsteadOfTheControl) {
    QStringList handled;
    io.OnSendData = [&](TPythonInputOutput*, const QString& line) { handled.append(line); };
    io.Write(u"x\n");
    EXPECT_EQ(handled, QStringList{"x"});
    EXPECT_EQ(Text(), QString());
}

TEST_F(GUIOutput, DestroyedControlMeansDiscardedLines) {
    auto other = std::make_unique<TFormOutput>();
    io.SetOutput(other->RichEditOutput);
    other.reset();
    EXPECT_EQ(io.GetOutput(), nullptr);
    EXPECT_NO_THROW(io.Write(u"nowhere\n"));
}

TEST_F(GUIOutput, InputBoxAnswersOkAndCancel) {
    dialogs->inputAnswers.push_back(QStringLiteral("typed text"));
    dialogs->inputAnswers.push_back(std::nullopt);
    EXPECT_EQ(io.ReceiveData(), QStringLiteral("typed text"));
    EXPECT_EQ(io.ReceiveData(), QString());
    EXPECT_EQ(dialogs->TextsOf(QStringLiteral("input")),
              (QStringList{"Query for Python|Enter text", "Query for Python|Enter text"}));
    EXPECT_EQ(dialogs->lastInputMaxLength, 255);
}

TEST_F(GUIOutput, CloseButtonAndCloseBoxOnlyHide) {
    form.ShowFor(nullptr);
    ASSERT_TRUE(form.isVisible());
    form.ButtonClose->click();
    EXPECT_FALSE(form.isVisible());
    form.show();
    form.close();
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(form.windowTitle(), QStringLiteral("Output"));
    EXPECT_EQ(form.ButtonClose->text(), QStringLiteral("&Close"));
    EXPECT_EQ(form.ButtonClear->text(), QStringLiteral("Clea&r"));
}

TEST_F(GUIOutput, TheLinesOfOneTurnReachTheControlInOneUpdateInOrder) {
    io.MaxLines = 1000;
    form.show();
    io.Write(u"before\n");
    EXPECT_EQ(Shown(), QStringList{"before"});
    int updates = 0;
    QObject::connect(form.RichEditOutput, &QPlainTextEdit::textChanged, [&] { ++updates; });
    for (int i = 0; i < 500; ++i)
        io.Write(QStringLiteral("line %1\n").arg(i));
    EXPECT_EQ(form.RichEditOutput->toPlainText(), QStringLiteral("before")) << "nothing laid out yet";
    QCoreApplication::processEvents();  // one turn
    EXPECT_EQ(updates, 1);
    const QStringList shown = form.RichEditOutput->toPlainText().split(u'\n');
    ASSERT_EQ(shown.size(), 501);
    EXPECT_EQ(shown.first(), QStringLiteral("before"));
    for (int i = 0; i < 500; ++i)
        ASSERT_EQ(shown[i + 1], QStringLiteral("line %1").arg(i));

    // More than the control keeps: the newest MaxLines lines, in order.
    for (int i = 0; i < 2500; ++i)
        io.Write(QStringLiteral("more %1\n").arg(i));
    const QStringList kept = Shown();
    ASSERT_EQ(kept.size(), 1000);
    EXPECT_EQ(kept.first(), QStringLiteral("more 1500"));
    EXPECT_EQ(kept.last(), QStringLiteral("more 2499"));
    QScrollBar* bar = form.RichEditOutput->verticalScrollBar();
    EXPECT_EQ(bar->value(), bar->maximum());
}
