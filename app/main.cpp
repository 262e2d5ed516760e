#include "app/FormMain.h"
#include "app/OrvexaApplication.h"
#include "app/Startup.h"
#include "automation/WavePlayer.h"
#include "platform/Services.h"
#include "platform/qt/QtDialogs.h"
#include "platform/qt/QtKeyStore.h"
#include "platform/x11/X11KeyCapture.h"
#include "platform/qt/QtShell.h"
#include "platform/sdl/SdlWaveAudio.h"
#include "platform/x11/X11Backend.h"

int main(int argc, char** argv) {
    using namespace orvexa;

    // 1. Process-wide objects.
    platform::Services services;
    services.dialogs = platform::CreateQtDialogs();
    services.keyStore = platform::CreateQtKeyStore();
    services.keyCapture = platform::CreateX11KeyCapture();
    services.shell = platform::CreateQtShell();
    // Without a display the input and screen stay unset; the program starts.
    platform::x11::X11InputServices x11 = platform::x11::CreateX11InputServices();
    services.input = std::move(x11.input);
    services.screen = std::move(x11.screen);
    services.wave = platform::sdl::CreateSdlWaveAudio();
    platform::Install(std::move(services));
    TWavePlayer wavePlayer;  // the program's player, until the program ends

    // 2. The application object, titled "Orvexa".
    OrvexaApplication app(argc, argv);

    // 3. The windows: main window, script editor, Output window.
    Windows windows = CreateWindows();

    // 4. The message loop shows the main window.
    windows.FormMain->show();
    const int code = app.exec();
    windows = Windows();
    platform::Install(platform::Services());
    return code;
}
