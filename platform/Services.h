#pragma once

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

// The services that need the display: input synthesis and the screen.
struct DisplayServices {
    std::shared_ptr<InputSynth> input;
    std::shared_ptr<Screen> screen;
};

// The process-wide set of platform services. main() installs the real
// backends; tests install fakes. A service may be missing (no X server):
// the accessors below throw std::logic_error then, and users that can go on
// without a service test the pointer in Current() first.
struct Services {
    std::shared_ptr<Dialogs> dialogs;
    std::shared_ptr<KeyStore> keyStore;
    std::shared_ptr<KeyCapture> keyCapture;
    std::shared_ptr<InputSynth> input;
    std::shared_ptr<Screen> screen;
    std::shared_ptr<WaveAudio> wave;
    std::shared_ptr<Shell> shell;
    // Makes the display's services once more, when the display could not be
    // reached before (a server starting late, a moment of overload). Empty
    // when there is no way to.
    std::function<DisplayServices()> connectDisplay;
};

// The installed services. Installing replaces (and frees) the previous set.
Services& Current();
void Install(Services services);

// Connects the display's services when they are missing and a way to make
// them is installed: on first use after a failed start, and then at most
// once a second. True when both services are there.
bool ConnectDisplayIfMissing();

Dialogs& dialogs();
KeyStore& keyStore();
KeyCapture& keyCapture();
InputSynth& input();
Screen& screen();
WaveAudio& wave();
Shell& shell();

}  // namespace orvexa::platform
