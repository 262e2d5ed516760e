// The desktop's services as the program makes them at start-up, without a
// display (DISPLAY unset) and, in a build without X11, without the X11
// backends: the program still gets its dialogs, key store, shell and wave
// audio, and a script that needs the screen, the mouse or the keyboard is
// told that there is no X display.
#include "automation/ProgramContext.h"
#include "platform/Services.h"
#include "platform/desktop/DesktopServices.h"
#include "tests/support/MessageOf.h"
#include "tests/support/QtPrinters.h"

#include <gtest/gtest.h>

#include <QWidget>

using namespace orvexa;

namespace {

const QString kNoDisplay = QStringLiteral("No X display is available for screen, mouse and keyboard automation");

// DISPLAY unset for as long as it lives.
class NoDisplay {
public:
    NoDisplay() : saved_(qgetenv("DISPLAY")), wasSet_(qEnvironmentVariableIsSet("DISPLAY")) { qunsetenv("DISPLAY"); }
    ~NoDisplay() {
        if (wasSet_)
            qputenv("DISPLAY", saved_);
    }
    NoDisplay(const NoDisplay&) = delete;
    NoDisplay& operator=(const NoDisplay&) = delete;

private:
    QByteArray saved_;
    bool wasSet_;
};

}  // namespace

TEST(DesktopServices, WithoutADisplayTheProgramHasItsOtherServices) {
    const NoDisplay noDisplay;
    const platform::Services services = platform::CreateDesktopServices();
    EXPECT_TRUE(services.dialogs);
    EXPECT_TRUE(services.keyStore);
    EXPECT_TRUE(services.shell);
    EXPECT_TRUE(services.wave);
    EXPECT_TRUE(services.clipboard);
    EXPECT_FALSE(services.input);
    EXPECT_FALSE(services.screen);
    EXPECT_FALSE(services.windows);
#if ORVEXA_WITH_X11
    // The capture connects when it starts; the display may come later.
    EXPECT_TRUE(services.keyCapture);
    EXPECT_TRUE(services.connectDisplay);
#else
    EXPECT_FALSE(services.keyCapture);
    EXPECT_FALSE(services.connectDisplay);
#endif
}

TEST(DesktopServices, WithoutADisplayScriptsAreToldThereIsNone) {
    const NoDisplay noDisplay;
    ProgramContext context(platform::CreateDesktopServices());
    EXPECT_EQ(test::MessageOf([&] { context.Input(); }), kNoDisplay);
    EXPECT_EQ(test::MessageOf([&] { context.Screen(); }), kNoDisplay);
    EXPECT_EQ(test::MessageOf([&] { context.Windows(); }),
              QStringLiteral("No X display is available for window titles and activation"));
}

TEST(DesktopServices, OffTheXcbPlatformNoWindowIsWatched) {
    QWidget window;
    EXPECT_FALSE(platform::WatchWindowDestroy(&window, [] {}));
}
