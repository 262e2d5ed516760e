#include "platform/pipewire/PipeWireScreen.h"

#include "core/Exception.h"
#include "platform/pipewire/PipeWireStream.h"

#include <utility>

namespace orvexa::platform::pipewire {

namespace {

// A coordinate of the desktop's in the stream's pixels.
int ToStream(int value, int desktopExtent, int streamExtent) {
    if (desktopExtent <= 0 || desktopExtent == streamExtent)
        return value;
    return static_cast<int>(static_cast<long long>(value) * streamExtent / desktopExtent);
}

int ToDesktop(int value, int desktopExtent, int streamExtent) {
    if (desktopExtent <= 0 || streamExtent <= 0 || desktopExtent == streamExtent)
        return value;
    return static_cast<int>(static_cast<long long>(value) * desktopExtent / streamExtent);
}

// The stream renegotiated between the wait for a frame and the read.
Exception PictureChanging() {
    return Exception(
        QStringLiteral("The screen cannot be read: the desktop's screen cast is changing its picture; "
                       "try again"));
}

}  // namespace

PipeWireScreen::PipeWireScreen(ScreenCastOpener open) : open_(std::move(open)) {}

PipeWireScreen::~PipeWireScreen() = default;

PipeWireStream& PipeWireScreen::Opened() {
    // A cast whose session the desktop ended is opened anew (the opener
    // says why when it cannot be).
    if (stream_ && live_ && !live_()) {
        stream_.reset();
        live_ = nullptr;
    }
    if (!stream_) {
        if (!failure_.isEmpty())
            throw Exception(failure_);
        if (opening_)
            throw Exception(
                QStringLiteral("The screen cannot be read yet: the desktop is still being asked for "
                               "its screen cast"));
        // The opener throws with the desktop's reason (a refusal stands for
        // the run: the opener keeps it).
        opening_ = true;
        ScreenCastStream cast;
        try {
            cast = open_();
        } catch (...) {
            opening_ = false;
            throw;
        }
        opening_ = false;
        try {
            stream_ = std::make_unique<PipeWireStream>(std::move(cast.pipeWire), cast.node);
        } catch (const Exception& e) {
            failure_ = QStringLiteral("The screen cast could not be received: %1").arg(e.Message());
            throw Exception(failure_);
        }
        desktopSize_ = cast.size;
        cursorMetadata_ = cast.cursorMetadata;
        cursorWaited_ = false;
        live_ = std::move(cast.live);
    }
    return *stream_;
}

PipeWireStream& PipeWireScreen::Ready() {
    PipeWireStream& stream = Opened();
    if (!stream.WaitForFrame(FirstFrameWait)) {
        const std::string failure = stream.Failure();
        if (!failure.empty())
            throw Exception(QStringLiteral("The screen cannot be read: %1").arg(QString::fromStdString(failure)));
        throw Exception(QStringLiteral("The screen cannot be read: the desktop's screen cast sent no picture "
                                       "within %1 ms")
                            .arg(FirstFrameWait.count()));
    }
    return stream;
}

const PipeWireStream& PipeWireScreen::Stream() {
    const std::lock_guard lock(mutex_);
    return Ready();
}

ScreenSize PipeWireScreen::Size(const PipeWireStream& stream) const {
    if (desktopSize_.width > 0 && desktopSize_.height > 0)
        return desktopSize_;
    return stream.FrameSize();
}

std::uint32_t PipeWireScreen::PixelColor(int x, int y) {
    const std::lock_guard lock(mutex_);
    PipeWireStream& stream = Ready();
    const ScreenSize desktop = Size(stream);
    if (x < 0 || y < 0 || x >= desktop.width || y >= desktop.height)
        return 0;
    const ScreenSize frame = stream.FrameSize();
    std::uint32_t color = 0;
    switch (
        stream.PixelColor(ToStream(x, desktop.width, frame.width), ToStream(y, desktop.height, frame.height), color)) {
    case PipeWireStream::Read::Pixel:
        return color;
    case PipeWireStream::Read::Outside:
        return 0;
    case PipeWireStream::Read::NoFrame:
        break;
    }
    throw PictureChanging();
}

ScreenPixels PipeWireScreen::Grab(ScreenRect rect) {
    const std::lock_guard lock(mutex_);
    PipeWireStream& stream = Ready();
    const ScreenSize desktop = Size(stream);
    const ScreenRect clipped = ClippedTo(rect, desktop);
    ScreenPixels grabbed;
    if (clipped.Empty())
        return grabbed;
    if (stream.CopyRect(clipped, desktop, grabbed) == PipeWireStream::Read::Pixel)
        return grabbed;
    throw PictureChanging();
}

ScreenSize PipeWireScreen::PrimarySize() {
    const std::lock_guard lock(mutex_);
    // The size the desktop gave with the cast needs no picture (pointer
    // moves ask for it, and a cast may be slow to send one, or send none).
    Opened();
    if (desktopSize_.width > 0 && desktopSize_.height > 0)
        return desktopSize_;
    return Size(Ready());
}

std::optional<ScreenPoint> PipeWireScreen::CursorPosition() {
    const std::lock_guard lock(mutex_);
    // The cursor comes with the cast's pictures. Without them (a cast slow
    // to send one, or one that sends none: KDE Plasma 5.27's, measured)
    // the pointer's position is the input's, after one wait for the first
    // picture, not one at every call.
    PipeWireStream& stream = Opened();
    if (!cursorMetadata_)
        return std::nullopt;
    const bool waited = std::exchange(cursorWaited_, true);
    if (!stream.WaitForFrame(waited ? std::chrono::milliseconds(0) : FirstFrameWait))
        return std::nullopt;
    const std::optional<ScreenPoint> cursor = stream.Cursor();
    if (!cursor)
        return std::nullopt;
    const ScreenSize desktop = Size(stream);
    const ScreenSize frame = stream.FrameSize();
    return ScreenPoint{ToDesktop(cursor->x, desktop.width, frame.width),
                       ToDesktop(cursor->y, desktop.height, frame.height)};
}

}  // namespace orvexa::platform::pipewire
