// The screen, mouse and keyboard primitives on a real X server: windows of
// this process are painted, clicked and typed into through the primitives,
// and the result is read back from Qt and from the server.
#include "automation/KeySynth.h"
#include "automation/ScreenMouse.h"
#include "platform/VirtualKeyCodes.h"
#include "platform/x11/X11Backend.h"
#include "platform/x11/X11Input.h"
#include "tests/support/x11/X11Probe.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QTest>
#include <QVBoxLayout>

#include <functional>

using namespace orvexa;

namespace {

// Runs the event loop until `done` holds or five seconds have passed.
bool WaitFor(const std::function<bool()>& done) {
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > 5000)
            return false;
        QApplication::processEvents(QEventLoop::AllEvents, 10);
        QTest::qWait(5);
    }
    return true;
}

// Colour swatches 20 pixels wide in one row.
class Swatches : public QWidget {
public:
    explicit Swatches(std::vector<QColor> colours) : colours_(std::move(colours)) {
        setWindowFlags(Qt::FramelessWindowHint | Qt::X11BypassWindowManagerHint);
        setFixedSize(static_cast<int>(colours_.size()) * 20, 20);
    }
    QPoint Centre(int index) const { return geometry().topLeft() + QPoint(index * 20 + 10, 10); }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        for (std::size_t i = 0; i < colours_.size(); ++i)
            painter.fillRect(static_cast<int>(i) * 20, 0, 20, 20, colours_[i]);
    }

private:
    std::vector<QColor> colours_;
};

// Records the keys pressed and the mouse buttons released on a widget.
class InputRecorder : public QObject {
public:
    std::vector<int> pressed;
    std::vector<Qt::MouseButton> released;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::KeyPress)
            pressed.push_back(static_cast<QKeyEvent*>(event)->key());
        if (event->type() == QEvent::MouseButtonRelease)
            released.push_back(static_cast<QMouseEvent*>(event)->button());
        return false;
    }
};

}  // namespace

class Desktop : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(probe.Ok()) << "these tests need an X server (DISPLAY)";
        platform::x11::X11InputServices x11 = platform::x11::CreateX11InputServices();
        ASSERT_TRUE(x11.input && x11.screen);
        input = std::move(x11.input);
        screen = std::move(x11.screen);
    }
    void TearDown() override {
        if (!input)
            return;
        ReleaseKey(*input, "A");
        ReleaseKey(*input, "SHIFT");
    }

    platform::x11::X11Probe probe;
    std::shared_ptr<platform::InputSynth> input;
    std::shared_ptr<platform::Screen> screen;
};

TEST_F(Desktop, PaintedColoursReadBackWithTheirNames) {
    Swatches swatches({QColor(255, 229, 0), QColor(255, 230, 0), QColor(0, 0, 26), QColor(0, 0, 25), QColor(0, 26, 0),
                       Qt::white, Qt::black, QColor(128, 128, 128), QColor(1, 2, 3), QColor(255, 0, 171)});
    swatches.move(100, 200);
    swatches.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&swatches));
    ASSERT_TRUE(WaitFor([&] {
        const QPoint p = swatches.Centre(9);
        return GetColorRGBText(*screen, p.x(), p.y()) == "FF00AB";
    })) << "the window was never drawn";

    const auto name = [&](int index) {
        const QPoint p = swatches.Centre(index);
        return GetColorName(*screen, p.x(), p.y(), kColorNameMargin, kColorNameMargin, kColorNameMargin);
    };
    EXPECT_EQ(name(0), "red");
    EXPECT_EQ(name(1), "");
    EXPECT_EQ(name(2), "blue");
    EXPECT_EQ(name(3), "");
    EXPECT_EQ(name(4), "green");
    EXPECT_EQ(name(5), "");
    EXPECT_EQ(name(6), "");
    EXPECT_EQ(name(7), "");
    const QPoint dark = swatches.Centre(8);
    EXPECT_EQ(GetColorRGBText(*screen, dark.x(), dark.y()), "010203");
    EXPECT_EQ(GetPixelColor(*screen, dark.x(), dark.y()), 0x030201u);
    // The swatch's own corner pixels, and the pixel just beside the window.
    const QPoint first = swatches.geometry().topLeft();
    EXPECT_EQ(GetColorRGBText(*screen, first.x(), first.y()), "FFE500");
    EXPECT_NE(GetColorRGBText(*screen, first.x() - 1, first.y()), "FFE500");
}

TEST_F(Desktop, AbsoluteMovesLandWhereTheArithmeticSays) {
    const int width = GetScreenWidth(*screen);
    const int height = GetScreenHeight(*screen);
    const QPoint targets[] = {{0, 0}, {1, 1}, {width / 2, height / 2}, {333, 777}, {width - 1, height - 1}};
    for (const QPoint& target : targets) {
        MoveMouseAbs(*input, *screen, target.x(), target.y());
        // The normalised values go through the Windows mapping back to pixels.
        const auto x = platform::x11::X11Input::NormalisedToPixel(NormaliseAbsolute(target.x(), width), width);
        const auto y = platform::x11::X11Input::NormalisedToPixel(NormaliseAbsolute(target.y(), height), height);
        EXPECT_EQ(GetMouseX(*input, *screen), x);
        EXPECT_EQ(GetMouseY(*input, *screen), y);
        // Which is the pixel itself.
        EXPECT_EQ(QPoint(GetMouseX(*input, *screen), GetMouseY(*input, *screen)), target);
        EXPECT_EQ(probe.Pointer(), (platform::ScreenPoint{target.x(), target.y()}));
    }
    MoveMouseAbs(*input, *screen, -50, height + 50);  // beyond the edges: clamped by the server
    EXPECT_EQ(QPoint(GetMouseX(*input, *screen), GetMouseY(*input, *screen)), QPoint(0, height - 1));
}

TEST_F(Desktop, RelativeMovesGoFromTheCursor) {
    MoveMouseAbs(*input, *screen, 100, 100);
    MoveMouseRel(*input, *screen, 25, -40);
    EXPECT_EQ(QPoint(GetMouseX(*input, *screen), GetMouseY(*input, *screen)), QPoint(125, 60));
    MoveMouseRel(*input, *screen, 0, 0);
    EXPECT_EQ(QPoint(GetMouseX(*input, *screen), GetMouseY(*input, *screen)), QPoint(125, 60));
}

TEST_F(Desktop, ALeftClickClicksTheButtonUnderTheCursorWithoutMovingIt) {
    QPushButton button(QStringLiteral("Press me"));
    button.setWindowFlags(Qt::FramelessWindowHint | Qt::X11BypassWindowManagerHint);
    button.setGeometry(400, 300, 160, 50);
    int clicks = 0;
    QObject::connect(&button, &QPushButton::clicked, [&] { ++clicks; });
    button.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&button));

    MoveMouseAbs(*input, *screen, 480, 325);
    ASSERT_TRUE(WaitFor([&] { return button.underMouse(); }));
    MouseButton(*input, "LEFT", "PRESS");
    ASSERT_TRUE(WaitFor([&] { return button.isDown(); }));
    EXPECT_EQ(clicks, 0);
    MouseButton(*input, "LEFT", "RELEASE");
    ASSERT_TRUE(WaitFor([&] { return clicks == 1; }));
    EXPECT_EQ(QPoint(GetMouseX(*input, *screen), GetMouseY(*input, *screen)), QPoint(480, 325));

    // The right button does not click it. A left click after it is the
    // sentinel: once its release is in, the right button's is too.
    InputRecorder recorder;
    button.installEventFilter(&recorder);
    MouseButton(*input, "RIGHT", "PRESS");
    MouseButton(*input, "RIGHT", "RELEASE");
    MouseButton(*input, "LEFT", "PRESS");
    MouseButton(*input, "LEFT", "RELEASE");
    ASSERT_TRUE(WaitFor([&] { return !recorder.released.empty() && recorder.released.back() == Qt::LeftButton; }));
    EXPECT_EQ(recorder.released, (std::vector<Qt::MouseButton>{Qt::RightButton, Qt::LeftButton}));
    EXPECT_EQ(clicks, 2);
}

class Typing : public Desktop {
protected:
    void SetUp() override {
        Desktop::SetUp();
        if (HasFatalFailure())
            return;
        window.setGeometry(200, 200, 300, 60);
        auto* layout = new QVBoxLayout(&window);
        edit = new QLineEdit(&window);
        layout->addWidget(edit);
        edit->installEventFilter(&recorder);
        window.show();
        window.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
        edit->setFocus();
        ASSERT_TRUE(WaitFor([&] { return edit->hasFocus(); }));
    }

    bool Pressed(int key) const {
        return std::find(recorder.pressed.begin(), recorder.pressed.end(), key) != recorder.pressed.end();
    }

    QWidget window;
    QLineEdit* edit = nullptr;
    InputRecorder recorder;
};

TEST_F(Typing, CharactersAndNamesTypeIntoTheFocusedField) {
    SendKey(*input, "A");
    ASSERT_TRUE(WaitFor([&] { return edit->text() == "A"; })) << edit->text().toStdString();
    SendKey(*input, "!");
    ASSERT_TRUE(WaitFor([&] { return edit->text() == "A!"; })) << edit->text().toStdString();
    SendKey(*input, "hello");
    ASSERT_TRUE(WaitFor([&] { return edit->text() == "A!h"; })) << edit->text().toStdString();
    SendKey(*input, "CONTROL");
    ASSERT_TRUE(WaitFor([&] { return edit->text() == "A!hc"; })) << edit->text().toStdString();
    SendKey(*input, "ESC");
    ASSERT_TRUE(WaitFor([&] { return Pressed(Qt::Key_Escape); }));
    SendKey(*input, "F10");
    ASSERT_TRUE(WaitFor([&] { return Pressed(Qt::Key_F10); }));
    SendKey(*input, "SPACE");
    SendKey(*input, "a");
    ASSERT_TRUE(WaitFor([&] { return edit->text() == "A!hc a"; })) << edit->text().toStdString();
    // Nothing stays held.
    EXPECT_FALSE(probe.IsKeyDown(vk::Shift));
    EXPECT_FALSE(probe.IsKeyDown('A'));
}

TEST_F(Typing, KeyDownAloneLeavesTheKeyAndShiftHeld) {
    PressKey(*input, "A");
    ASSERT_TRUE(WaitFor([&] { return probe.IsKeyDown('A') && probe.IsKeyDown(vk::Shift); }));
    ASSERT_TRUE(WaitFor([&] { return edit->text() == "A"; })) << edit->text().toStdString();
    // A pointer motion sent after the press is the sentinel: once the server
    // has moved the pointer, it has taken whatever the press sent.
    const platform::ScreenPoint pointer = probe.Pointer();
    const platform::ScreenPoint elsewhere{pointer.x == 5 ? 6 : 5, 5};
    MoveMouseAbs(*input, *screen, elsewhere.x, elsewhere.y);
    ASSERT_TRUE(WaitFor([&] { return probe.Pointer() == elsewhere; }));
    EXPECT_TRUE(probe.IsKeyDown('A'));
    ReleaseKey(*input, "A");
    ASSERT_TRUE(WaitFor([&] { return !probe.IsKeyDown('A') && !probe.IsKeyDown(vk::Shift); }));
}
