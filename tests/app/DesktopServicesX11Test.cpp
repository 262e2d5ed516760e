// The desktop's services as the program makes them at start-up, on the
// suite's X server: the X11 backends give the input and the screen at once,
// and watch the main window for its destruction by another client.
#include "automation/ProgramContext.h"
#include "platform/Services.h"
#include "platform/desktop/DesktopServices.h"

#include <gtest/gtest.h>

#include <QWidget>

using namespace orvexa;

TEST(DesktopServicesX11, OnADisplayInputAndScreenAreThere) {
    const platform::Services services = platform::CreateDesktopServices();
    EXPECT_TRUE(services.keyCapture);
    EXPECT_TRUE(services.input);
    EXPECT_TRUE(services.screen);
    EXPECT_TRUE(services.windows);
    EXPECT_TRUE(services.clipboard);
    EXPECT_TRUE(services.connectDisplay);

    ProgramContext context(platform::CreateDesktopServices());
    EXPECT_NO_THROW(context.Input());
    EXPECT_NO_THROW(context.Screen());
    EXPECT_NO_THROW(context.Windows());
}

TEST(DesktopServicesX11, TheMainWindowIsWatched) {
    QWidget window;
    EXPECT_TRUE(platform::WatchWindowDestroy(&window, [] {}));
}
