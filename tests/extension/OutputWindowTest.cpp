// The Output window's place: beside the window that shows it the first time,
// kept in the key store between starts; long lines read from their start.
#include "extension/output.h"
#include "platform/fake/FakeKeyStore.h"
#include "tests/support/QtPrinters.h"
#include "ui/WindowPlacement.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QPlainTextEdit>
#include <QScreen>
#include <QScrollBar>

using namespace orvexa;

namespace {

struct PlaceCase {
    const char* what;
    QRect anchor;
    QSize size;
    QRect expected;
};

class Placement : public ::testing::TestWithParam<PlaceCase> {};

// A 1280 x 1024 screen whose top 30 pixels are a panel.
const QRect kScreen(0, 30, 1280, 994);

TEST_P(Placement, BesideInsideTheScreen) {
    EXPECT_EQ(ui::PlaceBeside(GetParam().anchor, GetParam().size, kScreen), GetParam().expected) << GetParam().what;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Placement,
    ::testing::Values(
        PlaceCase{"right", QRect(10, 100, 347, 294), QSize(600, 360), QRect(365, 100, 600, 360)},
        PlaceCase{"left", QRect(900, 100, 347, 294), QSize(600, 360), QRect(292, 100, 600, 360)},
        PlaceCase{"narrowed to the wider side", QRect(466, 365, 347, 294), QSize(600, 360), QRect(821, 365, 459, 360)},
        PlaceCase{"below", QRect(0, 30, 1000, 294), QSize(600, 360), QRect(0, 332, 600, 360)},
        PlaceCase{"over it at the right edge", QRect(0, 30, 1280, 994), QSize(600, 360), QRect(680, 30, 600, 360)},
        PlaceCase{"level with it, within the screen", QRect(10, 900, 347, 100), QSize(600, 360),
                  QRect(365, 664, 600, 360)},
        PlaceCase{"no larger than the screen", QRect(10, 100, 347, 294), QSize(3000, 2000), QRect(365, 30, 915, 994)}));

class OutputWindow : public ::testing::Test {
protected:
    std::shared_ptr<platform::FakeKeyStore> store = std::make_shared<platform::FakeKeyStore>();
};

}  // namespace

TEST_F(OutputWindow, OpensBesideItsAskerThenWhereItWasLeft) {
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    QWidget asker;
    asker.setGeometry(screen.left() + 10, screen.top() + 20, 200, 150);
    asker.show();
    {
        TFormOutput output;
        output.SetPlaceStore(store);
        output.ShowFor(&asker);
        EXPECT_GE(output.x(), asker.frameGeometry().right()) << "not beside the window that asked";
        EXPECT_GE(output.width(), ui::kNarrowestBeside);
        output.move(screen.left() + 30, screen.top() + 40);
        output.resize(420, 250);
        output.hide();
    }
    EXPECT_FALSE(store->DefaultValue(QLatin1String(TFormOutput::kPlaceKey)).isEmpty());
    TFormOutput next;
    next.SetPlaceStore(store);
    next.ShowWithoutFocus(&asker);
    EXPECT_EQ(next.pos(), QPoint(screen.left() + 30, screen.top() + 40));
    EXPECT_EQ(next.size(), QSize(420, 250));
}

TEST_F(OutputWindow, APlaceOffEveryScreenIsForgotten) {
    store->WriteDefaultValue(QLatin1String(TFormOutput::kPlaceKey), QStringLiteral("-5000,-5000,420,250"));
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    QWidget asker;
    asker.setGeometry(screen.left() + 10, screen.top() + 20, 200, 150);
    asker.show();
    TFormOutput output;
    output.SetPlaceStore(store);
    output.ShowFor(&asker);
    EXPECT_TRUE(screen.contains(output.geometry().center()));
}

TEST_F(OutputWindow, LongLinesReadFromTheirStart) {
    TFormOutput output;
    output.show();
    output.RichEditOutput->setPlainText(QString(500, u'x') + QStringLiteral(" the end"));
    QApplication::processEvents();
    EXPECT_EQ(output.RichEditOutput->horizontalScrollBar()->maximum(), 0) << "a line runs off to the side";
}
