// The Help menu: the help page through the desktop's opener, the About box
// and its hyperlink label.
#include "app/about.h"
#include "app/hllabel.h"
#include "platform/fake/RecordingShell.h"
#include "tests/support/AppFixture.h"

#include <QAction>
#include <QLabel>
#include <QPushButton>
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

TEST_F(Help, AboutShowsItsTextsEveryTime) {
    Start();
    TFormAbout* about = windows.FormAbout.get();
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
