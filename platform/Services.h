#pragma once

#include "platform/Session.h"

#include <functional>
#include <memory>

namespace orvexa::platform {

// One interface per concern, each declared in its own header at the top of
// this folder, with its backends in qt/, x11/, sdl/ and fake/.
class Dialogs;
class KeyStore;
class KeyCapture;
class InputSynth;
class Screen;
class WaveAudio;
class Shell;
class Windows;
class Clipboard;
class Notifier;

// The services that need the display: input synthesis, the screen and the
// top-level windows.
struct DisplayServices {
    std::shared_ptr<InputSynth> input;
    std::shared_ptr<Screen> screen;
    std::shared_ptr<Windows> windows;
};

// The desktop's services as the program was given them: main() makes the
// real backends, tests make fakes, and both hand the set to what needs it.
// A service may be missing (no X server, no sound): its users test the
// pointer, or say that it is missing.
struct Services {
    std::shared_ptr<Dialogs> dialogs;
    std::shared_ptr<KeyStore> keyStore;
    std::shared_ptr<KeyCapture> keyCapture;
    std::shared_ptr<InputSynth> input;
    std::shared_ptr<Screen> screen;
    std::shared_ptr<WaveAudio> wave;
    std::shared_ptr<Shell> shell;
    std::shared_ptr<Windows> windows;
    std::shared_ptr<Clipboard> clipboard;
    std::shared_ptr<Notifier> notifier;
    // The kind of session, found at start-up.
    DesktopSession session;
    // Makes the display's services once more, when the display could not be
    // reached before (a server starting late, a moment of overload). Empty
    // when there is no way to.
    std::function<DisplayServices()> connectDisplay;
    // Called when Run arms a script: backends whose desktop session ended
    // (the user stopped sharing the screen) ask anew from then on. Empty
    // when no backend needs it.
    std::function<void()> newRun;
};

}  // namespace orvexa::platform
