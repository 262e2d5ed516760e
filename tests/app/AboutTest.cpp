// The Help menu: the help page through the desktop's opener, the key-name
// window, the About box and its hyperlink label.
#include "app/KeyNameWindow.h"
#include "app/about.h"
#include "app/hllabel.h"
#include "platform/fake/RecordingShell.h"
#include "tests/support/AppFixture.h"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

using namespace orvexa;

namespace {
class Help : public test::AppFixture {
protected:
    void SetUp() override {
        test::AppFixture::SetUp();
        auto recording = std::make_shared<platform::RecordingShell>();
        shell = recording.get();
        services.shell = recording;
    }
    platform::RecordingShell* shell = nullptr;
};
}  // namespace

TEST_F(Help, ViewHelpOpensThePageOrSaysWhereItIs) {
    Start();
    main()->MenuHelpViewHelp->trigger();
    EXPECT_EQ(shell->opened, QStringList{"opener:orvexa_help.htm"});
    EXPECT_TRUE(dialogs->shown.empty());

    shell->hasOpener = false;
    main()->MenuHelpViewHelpClick();
    EXPECT_EQ(dialogs->TextsOf(QStringLiteral("notice")),
              QStringList{"Sorry, your command interpreter could not be found, please try using your internet "
                          "browser to view the file \"orvexa_help.htm\" located in the QX directory."});
}

// Each press shows its KEY and HOTKEY names, or the note that it has none of
// a kind; a modifier on its own leaves the last combination shown.
TEST_F(Help, KeyNamesShowsTheNamesOfEachCombinationPressed) {
    Start();
    main()->MenuHelpKeyNames->trigger();
    auto* window = main()->findChild<TKeyNameWindow*>();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Key Names"));
    const QString noKey = QStringLiteral("no KEY name: use the HOTKEY name");
    const QString noHotkey = QStringLiteral("no HOTKEY name");
    const struct {
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        const char* keyName;
        const char* hotkeyName;
    } presses[] = {
        {Qt::Key_A, Qt::ControlModifier | Qt::ShiftModifier, "CONTROL-SHIFT-A", "CTRL+SHIFT+A"},
        {Qt::Key_S, Qt::ShiftModifier | Qt::AltModifier | Qt::ControlModifier, "CONTROL-ALT-SHIFT-S",
         "CTRL+ALT+SHIFT+S"},
        {Qt::Key_F1, Qt::NoModifier, "p", "F1"},
        {Qt::Key_F12, Qt::ControlModifier, "", "CTRL+F12"},
        {Qt::Key_F24, Qt::NoModifier, "", "F24"},
        {Qt::Key_Exclam, Qt::ShiftModifier, "SHIFT-1", "SHIFT+1"},
        {Qt::Key_7, Qt::AltModifier, "ALT-7", "ALT+7"},
        {Qt::Key_5, Qt::KeypadModifier, "e", "NUMPAD5"},
        {Qt::Key_0, Qt::KeypadModifier, "", "NUMPAD0"},
        {Qt::Key_Plus, Qt::KeypadModifier | Qt::ControlModifier, "CONTROL-k", "CTRL+NUMPAD+"},
        {Qt::Key_Tab, Qt::NoModifier, "TAB", "TAB"},
        {Qt::Key_Backtab, Qt::ShiftModifier, "SHIFT-TAB", "SHIFT+TAB"},
        {Qt::Key_Escape, Qt::NoModifier, "", "ESC"},
        {Qt::Key_Backspace, Qt::NoModifier, "BS", "BACKSPACE"},
        {Qt::Key_Return, Qt::AltModifier, "ALT-ENTER", "ALT+ENTER"},
        {Qt::Key_PageDown, Qt::NoModifier, "", "PAGEDOWN"},
        {Qt::Key_A, Qt::MetaModifier, "", "SUPER+A"},
        {Qt::Key_Semicolon, Qt::ControlModifier, "", ""},
    };
    for (const auto& press : presses) {
        QTest::keyClick(window, press.key, press.modifiers);
        const QString keyName = QString::fromLatin1(press.keyName);
        const QString hotkeyName = QString::fromLatin1(press.hotkeyName);
        EXPECT_EQ(window->EditKeyName->text(), keyName) << press.hotkeyName;
        EXPECT_EQ(window->EditKeyName->placeholderText(), keyName.isEmpty() ? noKey : QString()) << press.keyName;
        EXPECT_EQ(window->EditHotkeyName->text(), hotkeyName) << press.keyName;
        EXPECT_EQ(window->EditHotkeyName->placeholderText(), hotkeyName.isEmpty() ? noHotkey : QString());
        EXPECT_EQ(window->ButtonCopyHotkey->isEnabled(), !hotkeyName.isEmpty()) << press.keyName;
        EXPECT_TRUE(window->LabelPressed->text().startsWith(QStringLiteral("Pressed: "))) << press.keyName;
    }
    // Escape and Tab above neither closed the window nor left it.
    EXPECT_TRUE(window->isVisible());

    QTest::keyClick(window, Qt::Key_A, Qt::ControlModifier | Qt::ShiftModifier);
    QTest::keyClick(window, Qt::Key_Shift, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(window->EditKeyName->text(), QStringLiteral("CONTROL-SHIFT-A"));
    window->ButtonCopyHotkey->click();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("CTRL+SHIFT+A"));
    window->ButtonCopyKey->click();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("CONTROL-SHIFT-A"));
}

TEST_F(Help, AboutShowsItsTextsEveryTime) {
    Start();
    TFormAbout* about = main()->About();
    for (int round = 0; round < 2; ++round) {
        QStringList shown;
        QTimer::singleShot(0, about, [&] {
            for (QLabel* label : {about->LabelTitle, about->LabelVersion, about->LabelLibVersion, about->Label3,
                                  about->LabelProducedBy1, about->LabelProducedBy2, about->LabelProducedBy3})
                shown.append(label->text());
            about->Button1->click();
        });
        main()->MenuHelpAboutClick();
        EXPECT_EQ(shown, (QStringList{"Orvexa", "Version 1.2", "Tamblib Version 1.1", "Produced By:", "The Orvexa team",
                                      "", "Powered By Python"}));
        EXPECT_TRUE(about->LabelProducedBy4->text().startsWith(u'('));
        EXPECT_FALSE(about->isVisible());
    }
    EXPECT_EQ(about->windowTitle(), QStringLiteral("About"));
    EXPECT_EQ(about->size(), QSize(345, 145));
    EXPECT_EQ(about->Image1->pixmap().size(), QSize(140, 119));
}

TEST_F(Help, HyperlinkColoursAndTargets) {
    THLLabel label;
    label.SetShell(services.shell);
    EXPECT_EQ(label.FontColorIn(), QColor(255, 255, 0));
    EXPECT_EQ(label.FontColorOut(), QColor(0, 0, 0));
    EXPECT_EQ(label.LType(), TLType::Normal);
    EXPECT_FALSE(label.font().underline());
    const QString credit = label.Copyright();
    label.SetCopyright(QStringLiteral("changed"));
    EXPECT_EQ(label.Copyright(), credit);

    label.setText(QStringLiteral("orvexa.example.org"));
    label.SetLType(TLType::URL);
    EXPECT_TRUE(label.font().underline());
    label.SetFontColorOut(QColor(0, 0, 255));
    int overs = 0, outs = 0, clicks = 0;
    QObject::connect(&label, &THLLabel::MouseOver, [&](THLLabel* sender) {
        ++overs;
        EXPECT_EQ(sender, &label);
    });
    QObject::connect(&label, &THLLabel::MouseOut, [&](THLLabel* sender) {
        ++outs;
        EXPECT_EQ(sender, &label);
    });
    const QMetaObject::Connection clicked = QObject::connect(&label, &THLLabel::Clicked, [&](THLLabel* sender) {
        ++clicks;
        EXPECT_EQ(sender, &label);
        EXPECT_TRUE(shell->opened.isEmpty()) << "the ordinary click comes first";
    });
    label.MouseEnter();
    EXPECT_EQ(label.palette().color(QPalette::WindowText), QColor(255, 255, 0));
    EXPECT_TRUE(label.Hovering());
    label.MouseLeave();
    EXPECT_EQ(label.palette().color(QPalette::WindowText), QColor(0, 0, 255));
    label.Click();
    EXPECT_EQ(overs, 1);
    EXPECT_EQ(outs, 1);
    EXPECT_EQ(clicks, 1);

    QObject::disconnect(clicked);
    label.SetLType(TLType::Mail);
    label.Click();
    label.SetLType(TLType::Exe);
    label.Click();
    label.SetLType(TLType::Normal);
    label.Click();
    EXPECT_EQ(shell->opened, (QStringList{"address:http://orvexa.example.org", "address:mailto:orvexa.example.org",
                                          "program:orvexa.example.org"}));
}
