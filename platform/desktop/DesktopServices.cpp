#include "platform/desktop/DesktopServices.h"

#include "platform/qt/QtDialogs.h"
#include "platform/qt/QtKeyStore.h"
#include "platform/qt/QtShell.h"
#include "platform/sdl/SdlWaveAudio.h"
#include "platform/x11/WindowDestroyWatch.h"
#include "platform/x11/X11Backend.h"
#include "platform/x11/X11KeyCapture.h"

#include <utility>

namespace orvexa::platform {

Services CreateDesktopServices() {
    Services services;
    services.dialogs = CreateQtDialogs();
    services.keyStore = CreateQtKeyStore();
    services.keyCapture = CreateX11KeyCapture();
    services.shell = CreateQtShell();
    x11::X11InputServices x11 = x11::CreateX11InputServices(x11::kStartupAttempts);
    services.input = std::move(x11.input);
    services.screen = std::move(x11.screen);
    services.connectDisplay = [] { return x11::CreateX11InputServices(); };
    services.wave = sdl::CreateSdlWaveAudio();
    return services;
}

std::unique_ptr<QAbstractNativeEventFilter> WatchWindowDestroy(QWidget* window,
                                                               std::function<void()> destroyed) {
    return x11::WatchWindowDestroy(window, std::move(destroyed));
}

}  // namespace orvexa::platform
