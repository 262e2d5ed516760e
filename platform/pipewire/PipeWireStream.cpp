#include "platform/pipewire/PipeWireStream.h"

#include "core/Exception.h"
#include "platform/pipewire/PixelLayout.h"

#include <pipewire/pipewire.h>
#include <spa/buffer/meta.h>
#include <spa/param/buffers.h>
#include <spa/param/format-utils.h>
#include <spa/param/param.h>
#include <spa/param/video/format-utils.h>
#include <spa/pod/builder.h>

#include <QString>

#include <condition_variable>
#include <cstring>
#include <mutex>
#include <vector>

namespace orvexa::platform::pipewire {

namespace {

// Room for the cursor's metadata with a bitmap of up to 64x64 pixels; a
// producer that sends bitmaps needs it, though only the position is read.
constexpr std::uint32_t kCursorMetaSize = sizeof(spa_meta_cursor) + sizeof(spa_meta_bitmap) + 64 * 64 * 4;

void InitPipeWire() {
    static std::once_flag once;
    std::call_once(once, [] { pw_init(nullptr, nullptr); });
}

// The formats offered: the packed RGB formats, any size and frame rate.
const spa_pod* FormatParam(spa_pod_builder& builder) {
    const std::vector<std::uint32_t> formats = AcceptedVideoFormats();
    spa_pod_frame object{};
    spa_pod_builder_push_object(&builder, &object, SPA_TYPE_OBJECT_Format, SPA_PARAM_EnumFormat);
    spa_pod_builder_add(&builder, SPA_FORMAT_mediaType, SPA_POD_Id(SPA_MEDIA_TYPE_video), 0);
    spa_pod_builder_add(&builder, SPA_FORMAT_mediaSubtype, SPA_POD_Id(SPA_MEDIA_SUBTYPE_raw), 0);
    spa_pod_frame choice{};
    spa_pod_builder_prop(&builder, SPA_FORMAT_VIDEO_format, 0);
    spa_pod_builder_push_choice(&builder, &choice, SPA_CHOICE_Enum, 0);
    spa_pod_builder_id(&builder, formats.front());  // the default
    for (const std::uint32_t format : formats)
        spa_pod_builder_id(&builder, format);
    spa_pod_builder_pop(&builder, &choice);
    const spa_rectangle defaultSize{1920, 1080};
    const spa_rectangle minSize{1, 1};
    const spa_rectangle maxSize{16384, 16384};
    spa_pod_builder_add(&builder, SPA_FORMAT_VIDEO_size,
                        SPA_POD_CHOICE_RANGE_Rectangle(&defaultSize, &minSize, &maxSize), 0);
    const spa_fraction defaultRate{30, 1};
    const spa_fraction minRate{0, 1};
    const spa_fraction maxRate{1000, 1};
    spa_pod_builder_add(&builder, SPA_FORMAT_VIDEO_framerate,
                        SPA_POD_CHOICE_RANGE_Fraction(&defaultRate, &minRate, &maxRate), 0);
    return static_cast<const spa_pod*>(spa_pod_builder_pop(&builder, &object));
}

// Buffers in memory this process can map (no DMA-BUF: it would need the
// GPU to read back), enough of them that the one kept for reading never
// starves the producer.
const spa_pod* BuffersParam(spa_pod_builder& builder) {
    spa_pod_frame object{};
    spa_pod_builder_push_object(&builder, &object, SPA_TYPE_OBJECT_ParamBuffers, SPA_PARAM_Buffers);
    spa_pod_builder_add(&builder, SPA_PARAM_BUFFERS_buffers, SPA_POD_CHOICE_RANGE_Int(8, 3, 16), 0);
    spa_pod_builder_add(&builder, SPA_PARAM_BUFFERS_dataType,
                        SPA_POD_CHOICE_FLAGS_Int((1 << SPA_DATA_MemFd) | (1 << SPA_DATA_MemPtr)), 0);
    return static_cast<const spa_pod*>(spa_pod_builder_pop(&builder, &object));
}

const spa_pod* MetaParam(spa_pod_builder& builder, std::uint32_t type, std::uint32_t size) {
    spa_pod_frame object{};
    spa_pod_builder_push_object(&builder, &object, SPA_TYPE_OBJECT_ParamMeta, SPA_PARAM_Meta);
    spa_pod_builder_add(&builder, SPA_PARAM_META_type, SPA_POD_Id(type), 0);
    spa_pod_builder_add(&builder, SPA_PARAM_META_size, SPA_POD_Int(static_cast<int>(size)), 0);
    return static_cast<const spa_pod*>(spa_pod_builder_pop(&builder, &object));
}

// A buffer that carries a picture, not only metadata (compositors send the
// cursor's moves in buffers whose picture is marked not to be looked at).
bool HasPicture(const spa_buffer& buffer) {
    if (buffer.n_datas < 1 || buffer.datas[0].data == nullptr || buffer.datas[0].chunk == nullptr)
        return false;
    const spa_chunk& chunk = *buffer.datas[0].chunk;
    if (chunk.size == 0 || (chunk.flags & SPA_CHUNK_FLAG_CORRUPTED))
        return false;
    const auto* header = static_cast<const spa_meta_header*>(
        spa_buffer_find_meta_data(&buffer, SPA_META_Header, sizeof(spa_meta_header)));
    return header == nullptr || !(header->flags & SPA_META_HEADER_FLAG_CORRUPTED);
}

// The bytes from one row to the next. Producers say so in the chunk; one
// that does not (gstreamer's sink) sends rows padded as its own buffers pad
// them, which the picture's size tells.
int RowBytes(const spa_chunk& chunk, const ScreenSize& size, const PixelLayout& layout) {
    if (chunk.stride > 0)
        return chunk.stride;
    const int packed = size.width * layout.bytesPerPixel;
    if (size.height > 0 && chunk.size % static_cast<std::uint32_t>(size.height) == 0) {
        const auto padded = static_cast<int>(chunk.size / static_cast<std::uint32_t>(size.height));
        if (padded >= packed)
            return padded;
    }
    return packed;
}

}  // namespace

struct PipeWireStream::Impl {
    pw_thread_loop* loop = nullptr;
    pw_context* context = nullptr;
    pw_core* core = nullptr;
    pw_stream* stream = nullptr;
    spa_hook coreListener{};
    spa_hook streamListener{};

    // The negotiated format; written and read on PipeWire's thread only.
    PixelLayout layout;
    ScreenSize formatSize;
    bool formatKnown = false;

    // What readers see, under the mutex.
    mutable std::mutex mutex;
    mutable std::condition_variable changed;
    pw_buffer* held = nullptr;  // the newest frame, out of the queue
    const std::uint8_t* pixels = nullptr;
    std::size_t bytes = 0;
    int stride = 0;
    PixelLayout heldLayout;
    ScreenSize heldSize;
    Clock::time_point arrival{};
    std::optional<ScreenPoint> cursor;
    std::string failure;

    Impl() = default;
    Impl(const Impl&) = delete;
    Impl& operator=(const Impl&) = delete;
    // The stream and the connection go on PipeWire's thread, the thread
    // after them.
    ~Impl() {
        if (loop == nullptr)
            return;
        pw_thread_loop_lock(loop);
        {
            const std::lock_guard lock(mutex);
            held = nullptr;
            pixels = nullptr;
        }
        if (stream)
            pw_stream_destroy(stream);
        if (core)
            pw_core_disconnect(core);
        pw_thread_loop_unlock(loop);
        pw_thread_loop_stop(loop);
        if (context)
            pw_context_destroy(context);
        pw_thread_loop_destroy(loop);
    }

    void Fail(std::string why) {
        {
            const std::lock_guard lock(mutex);
            if (failure.empty())
                failure = std::move(why);
        }
        changed.notify_all();
    }

    void FormatChanged(const spa_pod* param) {
        std::uint32_t mediaType = 0;
        std::uint32_t mediaSubtype = 0;
        if (spa_format_parse(param, &mediaType, &mediaSubtype) < 0 || mediaType != SPA_MEDIA_TYPE_video ||
            mediaSubtype != SPA_MEDIA_SUBTYPE_raw)
            return;
        spa_video_info_raw info{};
        if (spa_format_video_raw_parse(param, &info) < 0)
            return;
        const std::optional<PixelLayout> known = LayoutOfVideoFormat(info.format);
        if (!known) {
            Fail("the screen cast offered a video format this program cannot read");
            return;
        }
        layout = *known;
        formatSize = {static_cast<int>(info.size.width), static_cast<int>(info.size.height)};
        formatKnown = true;

        std::uint8_t storage[1024];
        spa_pod_builder builder = SPA_POD_BUILDER_INIT(storage, sizeof(storage));
        const spa_pod* params[] = {
            BuffersParam(builder),
            MetaParam(builder, SPA_META_Header, sizeof(spa_meta_header)),
            MetaParam(builder, SPA_META_Cursor, kCursorMetaSize),
        };
        pw_stream_update_params(stream, params, 3);
    }

    // Takes the buffers that came, keeps the newest picture, and gives the
    // rest back at once.
    void Process() {
        pw_buffer* newest = nullptr;
        while (pw_buffer* buffer = pw_stream_dequeue_buffer(stream)) {
            ReadCursor(*buffer->buffer);
            if (formatKnown && HasPicture(*buffer->buffer)) {
                if (newest)
                    pw_stream_queue_buffer(stream, newest);
                newest = buffer;
            } else {
                pw_stream_queue_buffer(stream, buffer);
            }
        }
        if (!newest)
            return;
        const spa_data& data = newest->buffer->datas[0];
        const std::uint32_t offset = std::min(data.chunk->offset, data.maxsize);
        pw_buffer* previous = nullptr;
        {
            const std::lock_guard lock(mutex);
            previous = std::exchange(held, newest);
            pixels = static_cast<const std::uint8_t*>(data.data) + offset;
            bytes = data.maxsize - offset;
            heldLayout = layout;
            heldSize = formatSize;
            stride = RowBytes(*data.chunk, formatSize, layout);
            arrival = Clock::now();
        }
        changed.notify_all();
        if (previous)
            pw_stream_queue_buffer(stream, previous);
    }

    void ReadCursor(const spa_buffer& buffer) {
        const auto* meta = static_cast<const spa_meta_cursor*>(
            spa_buffer_find_meta_data(&buffer, SPA_META_Cursor, sizeof(spa_meta_cursor)));
        if (meta == nullptr)
            return;
        const std::lock_guard lock(mutex);
        // Id 0: the producer has no cursor on this stream now.
        if (meta->id == 0)
            cursor.reset();
        else
            cursor = ScreenPoint{meta->position.x, meta->position.y};
    }

    void BufferRemoved(pw_buffer* buffer) {
        const std::lock_guard lock(mutex);
        if (held == buffer) {
            held = nullptr;
            pixels = nullptr;
        }
    }

    static const pw_stream_events& StreamEvents() {
        static const pw_stream_events events = [] {
            pw_stream_events e{};
            e.version = PW_VERSION_STREAM_EVENTS;
            e.state_changed = [](void* data, pw_stream_state, pw_stream_state state, const char* error) {
                auto* self = static_cast<Impl*>(data);
                if (state == PW_STREAM_STATE_ERROR)
                    self->Fail(std::string("the screen cast's stream failed: ") + (error ? error : "no reason given"));
                else if (state == PW_STREAM_STATE_UNCONNECTED)
                    self->Fail("the desktop ended the screen cast");
            };
            e.param_changed = [](void* data, std::uint32_t id, const spa_pod* param) {
                if (id == SPA_PARAM_Format && param != nullptr)
                    static_cast<Impl*>(data)->FormatChanged(param);
            };
            e.remove_buffer = [](void* data, pw_buffer* buffer) { static_cast<Impl*>(data)->BufferRemoved(buffer); };
            e.process = [](void* data) { static_cast<Impl*>(data)->Process(); };
            return e;
        }();
        return events;
    }

    static const pw_core_events& CoreEvents() {
        static const pw_core_events events = [] {
            pw_core_events e{};
            e.version = PW_VERSION_CORE_EVENTS;
            e.error = [](void* data, std::uint32_t id, int, int res, const char* message) {
                if (id == PW_ID_CORE)
                    static_cast<Impl*>(data)->Fail(std::string("the connection to PipeWire failed: ") +
                                                   (message ? message : std::strerror(-res)));
            };
            return e;
        }();
        return events;
    }
};

PipeWireStream::PipeWireStream(UniqueFd connection, std::uint32_t node) : impl_(std::make_unique<Impl>()) {
    InitPipeWire();
    Impl& impl = *impl_;
    impl.loop = pw_thread_loop_new("orvexa-screen", nullptr);
    if (impl.loop == nullptr)
        throw Exception(QStringLiteral("PipeWire's thread could not be started"));
    impl.context = pw_context_new(pw_thread_loop_get_loop(impl.loop), nullptr, 0);
    if (impl.context == nullptr || pw_thread_loop_start(impl.loop) < 0)
        throw Exception(QStringLiteral("PipeWire could not be set up"));
    pw_thread_loop_lock(impl.loop);
    impl.core = connection.Valid() ? pw_context_connect_fd(impl.context, connection.Release(), nullptr, 0)
                                   : pw_context_connect(impl.context, nullptr, 0);
    const int connectError = errno;
    if (impl.core != nullptr) {
        pw_core_add_listener(impl.core, &impl.coreListener, &Impl::CoreEvents(), &impl);
        pw_properties* properties =
            pw_properties_new(PW_KEY_MEDIA_TYPE, "Video", PW_KEY_MEDIA_CATEGORY, "Capture", PW_KEY_MEDIA_ROLE, "Screen",
                              PW_KEY_NODE_NAME, NodeName(), nullptr);
        impl.stream = pw_stream_new(impl.core, "Orvexa screen", properties);
    }
    if (impl.stream != nullptr) {
        pw_stream_add_listener(impl.stream, &impl.streamListener, &Impl::StreamEvents(), &impl);
        std::uint8_t storage[1024];
        spa_pod_builder builder = SPA_POD_BUILDER_INIT(storage, sizeof(storage));
        const spa_pod* params[] = {FormatParam(builder)};
        const int connected = pw_stream_connect(
            impl.stream, PW_DIRECTION_INPUT, node,
            static_cast<pw_stream_flags>(PW_STREAM_FLAG_AUTOCONNECT | PW_STREAM_FLAG_MAP_BUFFERS), params, 1);
        if (connected < 0)
            impl.Fail(std::string("the screen cast's stream could not be connected: ") + std::strerror(-connected));
    }
    pw_thread_loop_unlock(impl.loop);
    if (impl.core == nullptr) {
        const QString reason = QString::fromLocal8Bit(std::strerror(connectError));
        throw Exception(QStringLiteral("PipeWire could not be reached: %1").arg(reason));
    }
}

PipeWireStream::~PipeWireStream() = default;

const char* PipeWireStream::NodeName() { return "orvexa-screen"; }

bool PipeWireStream::WaitForFrame(std::chrono::milliseconds timeout) const {
    std::unique_lock lock(impl_->mutex);
    return impl_->changed.wait_for(lock, timeout, [this] {
        return impl_->pixels != nullptr || !impl_->failure.empty();
    }) && impl_->pixels != nullptr;
}

PipeWireStream::Read PipeWireStream::PixelColor(int x, int y, std::uint32_t& color) const {
    const std::lock_guard lock(impl_->mutex);
    const Impl& impl = *impl_;
    if (impl.pixels == nullptr)
        return Read::NoFrame;
    if (x < 0 || y < 0 || x >= impl.heldSize.width || y >= impl.heldSize.height)
        return Read::Outside;
    const std::size_t at = static_cast<std::size_t>(y) * static_cast<std::size_t>(impl.stride) +
                           static_cast<std::size_t>(x) * static_cast<std::size_t>(impl.heldLayout.bytesPerPixel);
    // A producer's short buffer reads as outside, never beyond its end.
    if (at + static_cast<std::size_t>(impl.heldLayout.bytesPerPixel) > impl.bytes)
        return Read::Outside;
    color = ColorRefAt(impl.pixels + at, impl.heldLayout);
    return Read::Pixel;
}

PipeWireStream::Read PipeWireStream::CopyRect(ScreenRect rect, ScreenSize space, ScreenPixels& out) const {
    const std::lock_guard lock(impl_->mutex);
    const Impl& impl = *impl_;
    if (impl.pixels == nullptr)
        return Read::NoFrame;
    const ScreenSize frame = impl.heldSize;
    if (space.width <= 0 || space.height <= 0)
        space = frame;
    const auto toFrame = [](int value, int spaceExtent, int frameExtent) {
        return static_cast<std::size_t>(static_cast<long long>(value) * frameExtent / spaceExtent);
    };
    const auto bytesPerPixel = static_cast<std::size_t>(impl.heldLayout.bytesPerPixel);
    // Where each column starts in a row: the same for every row.
    std::vector<std::size_t> columns(static_cast<std::size_t>(rect.width));
    for (int column = 0; column < rect.width; ++column)
        columns[static_cast<std::size_t>(column)] = toFrame(rect.x + column, space.width, frame.width) * bytesPerPixel;
    out.rect = rect;
    out.stride = rect.width;
    out.pixels.assign(static_cast<std::size_t>(rect.width) * static_cast<std::size_t>(rect.height), 0);
    for (int row = 0; row < rect.height; ++row) {
        const std::size_t rowStart =
            toFrame(rect.y + row, space.height, frame.height) * static_cast<std::size_t>(impl.stride);
        std::uint32_t* target =
            out.pixels.data() + static_cast<std::size_t>(row) * static_cast<std::size_t>(rect.width);
        for (int column = 0; column < rect.width; ++column) {
            const std::size_t at = rowStart + columns[static_cast<std::size_t>(column)];
            if (at + bytesPerPixel <= impl.bytes)
                target[column] = RgbAt(impl.pixels + at, impl.heldLayout);
        }
    }
    return Read::Pixel;
}

ScreenSize PipeWireStream::FrameSize() const {
    const std::lock_guard lock(impl_->mutex);
    return impl_->pixels ? impl_->heldSize : ScreenSize{};
}

std::optional<PipeWireStream::Clock::time_point> PipeWireStream::FrameArrival() const {
    const std::lock_guard lock(impl_->mutex);
    if (impl_->pixels == nullptr)
        return std::nullopt;
    return impl_->arrival;
}

std::optional<ScreenPoint> PipeWireStream::Cursor() const {
    const std::lock_guard lock(impl_->mutex);
    return impl_->cursor;
}

std::string PipeWireStream::Failure() const {
    const std::lock_guard lock(impl_->mutex);
    return impl_->failure;
}

}  // namespace orvexa::platform::pipewire
