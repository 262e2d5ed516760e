// Every text of every window shows whole with the fonts a Debian desktop
// has: the main window, the editor (editing and test running), the Output
// window and the About box, with DejaVu, Liberation and Noto standing in
// for the layout's font. One process per font (a font, once resolved, stays
// for the process); CMake runs them once more at 144 dpi.
#include "app/FormMain.h"
#include "app/Startup.h"
#include "app/about.h"
#include "app/hllabel.h"
#include "automation/ProgramContext.h"
#include "editor/FindBar.h"
#include "editor/ScriptEdit.h"
#include "extension/output.h"
#include "platform/Services.h"
#include "platform/fake/ScriptedDialogs.h"
#include "tests/support/FakeExecutor.h"
#include "tests/support/QtPrinters.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QFontDatabase>
#include <QFontInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

using namespace orvexa;

namespace {

QString Shown(const QString& caption) {
    QString text = caption;
    return text.remove(u'&');
}

// Where a label's text is inked, in its window's coordinates.
QRect InkOf(const QLabel* label) {
    const QFontMetrics metrics(label->font());
    const QString text = Shown(label->text());
    const QRect area = label->contentsRect();
    int left = area.left();
    if (label->alignment() & Qt::AlignHCenter)
        left = area.left() + (area.width() - metrics.horizontalAdvance(text)) / 2;
    QRect ink = metrics.tightBoundingRect(text).translated(left, area.top() + metrics.ascent());
    return ink.translated(label->mapTo(label->window(), QPoint(0, 0)));
}

// Fails for every label or button of `window` whose text does not show
// whole: wider or taller than its control, outside the window, or inked
// over another label's text.
void ExpectEveryTextWhole(QWidget* window, const char* which) {
    SCOPED_TRACE(which);
    const QRect inside = window->rect();
    std::vector<const QLabel*> labels;
    for (const QLabel* label : window->findChildren<QLabel*>()) {
        if (!label->isVisibleTo(window) || label->text().isEmpty())
            continue;
        const QFontMetrics metrics(label->font());
        const QString text = Shown(label->text());
        EXPECT_LE(metrics.horizontalAdvance(text), label->contentsRect().width()) << text.toStdString();
        EXPECT_LE(metrics.height(), label->contentsRect().height()) << text.toStdString();
        EXPECT_TRUE(inside.contains(QRect(label->mapTo(window, QPoint(0, 0)), label->size()))) << text.toStdString();
        labels.push_back(label);
    }
    for (size_t i = 0; i < labels.size(); ++i)
        for (size_t j = i + 1; j < labels.size(); ++j)
            EXPECT_FALSE(InkOf(labels[i]).intersects(InkOf(labels[j])))
                << labels[i]->text().toStdString() << " | " << labels[j]->text().toStdString();
    for (const QAbstractButton* button : window->findChildren<QAbstractButton*>()) {
        if (!button->isVisibleTo(window) || button->text().isEmpty())
            continue;
        const QFontMetrics metrics(button->font());
        const QString text = Shown(button->text());
        // A button needs a few pixels of frame on each side of its text.
        EXPECT_LE(metrics.horizontalAdvance(text) + 8, button->width()) << text.toStdString();
        EXPECT_LE(metrics.height() + 4, button->height()) << text.toStdString();
        EXPECT_TRUE(inside.contains(QRect(button->mapTo(window, QPoint(0, 0)), button->size()))) << text.toStdString();
    }
}

class WindowsFit : public ::testing::Test {
protected:
    void SetUp() override {
        platform::Services services;
        services.dialogs = std::make_shared<platform::ScriptedDialogs>();
        context = std::make_unique<ProgramContext>(std::move(services), QCoreApplication::instance());
    }
    void TearDown() override {
        windows = Windows();
        context.reset();
    }

    // The layout's font resolves to `family` from here on.
    void UseFont(const char* family) {
        if (!QFontDatabase::hasFamily(QLatin1String(family)))
            GTEST_SKIP() << family << " is not installed";
        QFont::insertSubstitution(QStringLiteral("MS Sans Serif"), QLatin1String(family));
    }

    void CheckEveryWindow(const char* family) {
        dir.Write(QStringLiteral("first.orx"), "//SHORTDESC: Colour under the mouse\n//LONGDESC:\nx\n//ENDLONGDESC\n");
        windows = CreateWindows(*context);
        main()->SetExecutor(&engine);
        main()->show();
        ASSERT_EQ(QFontInfo(main()->font()).family(), QLatin1String(family));
        ExpectEveryTextWhole(main(), "main window");
        main()->SetRunning(true);
        ExpectEveryTextWhole(main(), "main window, running");
        main()->SetRunning(false);

        TFormOutput* output = windows.FormOutput.get();
        output->show();
        ExpectEveryTextWhole(output, "Output window");

        TFormScriptEditor* editor = main()->ScriptEditor();
        editor->EditFileName = QStringLiteral("first.orx");
        editor->show();
        ExpectEveryTextWhole(editor, "editor");
        editor->BarFind->Open(FindBar::Mode::Replace);
        editor->BarFind->FindField->setText(QStringLiteral("nowhere in the text"));
        editor->BarFind->FindAgain(true);
        ASSERT_FALSE(editor->BarFind->Status->text().isEmpty());
        ExpectEveryTextWhole(editor, "editor, replacing");
        editor->BarFind->Open(FindBar::Mode::GoToLine);
        ExpectEveryTextWhole(editor, "editor, going to a line");
        editor->BarFind->Close();
        editor->MenuFileRunClick();
        ASSERT_TRUE(editor->TestRunning);
        ExpectEveryTextWhole(editor, "editor, test running");
        editor->hide();

        // The About box with the texts the Help menu sets.
        TFormAbout* about = main()->About();
        QTimer::singleShot(0, about, [&] {
            ExpectEveryTextWhole(about, "About box");
            about->Button1->click();
        });
        main()->MenuHelpAboutClick();
    }

    test::WorkingDir dir;
    std::unique_ptr<ProgramContext> context;
    test::FakeExecutor engine;
    Windows windows;
    TFormMain* main() const { return windows.FormMain.get(); }
};

}  // namespace

TEST_F(WindowsFit, DejaVu) {
    UseFont("DejaVu Sans");
    CheckEveryWindow("DejaVu Sans");
}

TEST_F(WindowsFit, Liberation) {
    UseFont("Liberation Sans");
    CheckEveryWindow("Liberation Sans");
}

TEST_F(WindowsFit, Noto) {
    UseFont("Noto Sans");
    CheckEveryWindow("Noto Sans");
}

TEST_F(WindowsFit, NothingOfTheAboutPictureHidesUnderItsButton) {
    TFormAbout about;
    const QRect under = about.Button1->geometry().intersected(about.Image1->geometry());
    ASSERT_FALSE(under.isEmpty()) << "the button stands on the picture, as laid out";
    const QImage picture = about.Image1->pixmap().toImage();
    const QRect region = under.translated(-about.Image1->pos());
    const QRgb plain = picture.pixel(region.topLeft());
    int differing = 0;
    for (int y = region.top(); y <= region.bottom(); ++y)
        for (int x = region.left(); x <= region.right(); ++x)
            differing += picture.pixel(x, y) != plain;
    EXPECT_EQ(differing, 0) << "part of the picture is drawn where the button covers it";
}
