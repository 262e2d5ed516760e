#pragma once

#include "platform/Screen.h"
#include "platform/ScreenCast.h"

#include <chrono>
#include <memory>
#include <mutex>
#include <optional>

#include <QString>

namespace orvexa::platform::pipewire {

class PipeWireStream;

// The screen as a screen cast shows it (Wayland sessions): pixels from the
// newest frame of the monitor's PipeWire stream, the size the desktop gave
// for the monitor, and the cursor from the stream's cursor metadata. The
// cast is opened at the first read (the desktop may ask the user then) and
// kept for the rest of the run; a read waits a moment for the first frame
// and says why when none comes, instead of answering black. Coordinates
// are the desktop's (those of pointer moves); on a scaled monitor they are
// mapped to the stream's pixels. The screen's size is the one the desktop
// gave with the cast and needs no picture; so does the cursor, which is
// nothing while no picture came. A cast the desktop ended is opened anew
// at the next read.
class PipeWireScreen final : public Screen {
public:
    explicit PipeWireScreen(ScreenCastOpener open);
    ~PipeWireScreen() override;

    std::uint32_t PixelColor(int x, int y) override;
    ScreenPixels Grab(ScreenRect rect) override;
    ScreenSize PrimarySize() override;
    std::optional<ScreenPoint> CursorPosition() override;

    // How long a read waits for the first frame of the cast.
    std::chrono::milliseconds FirstFrameWait{3000};

    // The stream, opened when it is not yet; for measurements.
    const PipeWireStream& Stream();

private:
    // The open stream, opened anew when its cast ended; throws
    // orvexa::Exception when there is none. The mutex held.
    PipeWireStream& Opened();
    // The same with a frame.
    PipeWireStream& Ready();
    // The desktop's size of the screen: what the desktop said, else the
    // stream's.
    ScreenSize Size(const PipeWireStream& stream) const;

    // Recursive: the desktop's answers come through the program's event
    // loop, in which a timer's code may read the screen again.
    std::recursive_mutex mutex_;
    // The cast is being asked for (and the desktop may be asking the user).
    bool opening_ = false;
    ScreenCastOpener open_;
    std::unique_ptr<PipeWireStream> stream_;
    ScreenSize desktopSize_;
    std::function<bool()> live_;
    bool cursorMetadata_ = false;
    // The cursor waited for the stream's first picture once.
    bool cursorWaited_ = false;
    // Why there is no cast, once that is known for good.
    QString failure_;
};

}  // namespace orvexa::platform::pipewire
