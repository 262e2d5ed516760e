#include "platform/desktop/DesktopServices.h"

#include "platform/freedesktop/DBusNotifier.h"
#include "platform/pipewire/PipeWireScreen.h"
#include "platform/portal/PortalInput.h"
#include "platform/portal/PortalScreenCast.h"
#include "platform/portal/PortalShortcutCapture.h"
#include "platform/qt/QtClipboard.h"
#include "platform/qt/QtDialogs.h"
#include "platform/qt/QtKeyStore.h"
#include "platform/qt/QtShell.h"
#include "platform/sdl/SdlWaveAudio.h"
#include "platform/wayland/SeatKeymap.h"

#if ORVEXA_WITH_X11
#include "platform/x11/WindowDestroyWatch.h"
#include "platform/x11/X11Backend.h"
#include "platform/x11/X11KeyCapture.h"
#endif

#include <QDBusConnection>

#include <cstdio>
#include <utility>

namespace orvexa::platform {

namespace {

// The compositor's keyboard map, read through the seat at each check, for
// the portal input; `failure` says why there is none. KDE Plasma's portal
// (the one xdg-desktop-portal takes on a desktop named KDE) looks for keys
// in the map's first layout only.
portal::KeymapReader CompositorKeymap(QString& failure) {
    std::shared_ptr<wayland::SeatKeymap> seat = wayland::SeatKeymap::Connect(failure);
    if (!seat)
        return {};
    const auto layout = qgetenv("XDG_CURRENT_DESKTOP").split(':').contains("KDE")
                            ? wayland::TypeableKeysyms::Layout::First
                            : wayland::TypeableKeysyms::Layout::InUse;
    return [seat, layout]() -> portal::KeysymCheck {
        std::shared_ptr<const wayland::TypeableKeysyms> keysyms = seat->Current();
        if (!keysyms)
            return {};
        return [keysyms, layout](std::uint32_t keysym) { return keysyms->Types(keysym, layout); };
    };
}

}  // namespace

Services CreateDesktopServices() {
    Services services;
    services.dialogs = CreateQtDialogs();
    services.keyStore = CreateQtKeyStore();
#if ORVEXA_WITH_X11
    services.keyCapture = CreateX11KeyCapture();
#endif
    services.shell = CreateQtShell();
    services.clipboard = CreateQtClipboard();
    services.notifier = freedesktop::CreateDBusNotifier();
#if ORVEXA_WITH_X11
    x11::X11InputServices x11 = x11::CreateX11InputServices(x11::kStartupAttempts);
    services.input = std::move(x11.input);
    services.screen = std::move(x11.screen);
    // Under XWayland these are the windows of X11 programs only.
    services.windows = std::move(x11.windows);
    services.connectDisplay = [] { return x11::CreateX11InputServices(); };
    services.session = DetectSession(services.screen && x11::ServerIsXWayland(*services.screen));
#else
    services.session = DetectSession(false);
#endif
    // Input through the portal on Wayland sessions that have it;
    // ORVEXA_INPUT_BACKEND=x11 or =portal chooses for the user who knows.
    const QByteArray forced = qgetenv("ORVEXA_INPUT_BACKEND").trimmed().toLower();
    const bool portalInput = forced == "portal" || (forced != "x11" && services.session.IsWayland() &&
                                                    portal::RemoteDesktopAvailable(QDBusConnection::sessionBus()));
    std::shared_ptr<portal::PortalInput> inputSession;
    if (portalInput) {
        inputSession = std::make_shared<portal::PortalInput>(QDBusConnection::sessionBus(), services.keyStore,
                                                             CompositorKeymap(services.session.keymapUnknown));
        services.input = inputSession;
        services.session.portalInput = true;
    }
    // The screen from a screen cast through PipeWire on Wayland sessions
    // whose portal has one: the remote-desktop session's own cast where
    // input goes through it (one question to the user for both), a
    // screen-cast session otherwise. ORVEXA_SCREEN_BACKEND=x11 or =portal
    // chooses by hand.
    const QByteArray forcedScreen = qgetenv("ORVEXA_SCREEN_BACKEND").trimmed().toLower();
    const bool portalScreen = forcedScreen == "portal" || (forcedScreen != "x11" && services.session.IsWayland() &&
                                                           portal::ScreenCastAvailable(QDBusConnection::sessionBus()));
    std::shared_ptr<portal::PortalScreenCast> castSession;
    if (portalScreen) {
        ScreenCastOpener open;
        if (inputSession) {
            open = [inputSession] { return inputSession->OpenScreenCast(); };
        } else {
            castSession = std::make_shared<portal::PortalScreenCast>(QDBusConnection::sessionBus(), services.keyStore);
            open = [castSession] { return castSession->Open(); };
        }
        services.screen = std::make_shared<pipewire::PipeWireScreen>(std::move(open));
        services.session.portalScreen = true;
    }
    // KEY binds as the desktop's global shortcuts where its portal has them;
    // ORVEXA_KEY_BACKEND=x11 or =portal chooses by hand.
    const QByteArray forcedKeys = qgetenv("ORVEXA_KEY_BACKEND").trimmed().toLower();
    const bool portalShortcuts =
        forcedKeys == "portal" || (forcedKeys != "x11" && services.session.IsWayland() &&
                                   portal::GlobalShortcutsAvailable(QDBusConnection::sessionBus()));
    if (portalShortcuts) {
        // The keys the desktop does not bind still fire from X11 windows.
        services.keyCapture =
            std::make_shared<portal::PortalShortcutCapture>(QDBusConnection::sessionBus(), services.keyCapture);
        services.session.portalShortcuts = true;
    }
    // A run lets go of portal sessions the desktop ended, so that it asks anew.
    if (inputSession || castSession)
        services.newRun = [inputSession, castSession] {
            if (inputSession)
                inputSession->NewRun();
            if (castSession)
                castSession->NewRun();
        };
#if !ORVEXA_WITH_X11
    if (!portalInput && !portalScreen)
        std::fprintf(stderr, "Built without X11: screen, mouse, keyboard and window automation is unavailable\n");
#endif
    services.wave = sdl::CreateSdlWaveAudio();
    return services;
}

std::unique_ptr<QAbstractNativeEventFilter> WatchWindowDestroy(QWidget* window, std::function<void()> destroyed) {
#if ORVEXA_WITH_X11
    return x11::WatchWindowDestroy(window, std::move(destroyed));
#else
    (void)window;
    (void)destroyed;
    return nullptr;
#endif
}

}  // namespace orvexa::platform
