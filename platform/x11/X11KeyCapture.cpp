// Key capture over X RECORD.
//
// Three connections, each used by one thread only (Xlib is not safe on one
// connection from two threads):
// - control (GUI thread): creates, disables and frees the recording context;
// - data (capture thread): blocks in XRecordEnableContext, which calls
//   Intercept for every recorded event until the control connection
//   disables the context;
// - lookup (capture thread): the keyboard map that turns a keycode into a
//   virtual-key code, and the key state the table is seeded from. It follows
//   keyboard map changes through the XKB map notifications it receives.
// The combinations taken from the focused window (SetTakenKeys) are grabbed
// on a fourth connection, KeyGrabs', on the GUI thread; RECORD reports their
// presses as every other key's.
//
// The key-state table is seeded when recording has begun (the start-of-data
// record), not before: an event that happens between the seed and its
// record being read is applied after the seed, and since each event sets its
// key's state outright the table is right again after it. Seeding first
// would lose a key that went down between the seed and the start.
#include "platform/x11/X11KeyCapture.h"

#include "platform/KeyStateTable.h"
#include "platform/x11/KeyGrabs.h"
#include "platform/x11/KeyboardMap.h"
#include "platform/x11/X11Display.h"
#include "platform/x11/X11ErrorTrap.h"

#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/Xproto.h>
#include <X11/extensions/record.h>

#include <condition_variable>
#include <cstring>
#include <memory>
#include <mutex>
#include <thread>

namespace orvexa::platform {
namespace {

class X11KeyCapture final : public KeyCapture {
public:
    ~X11KeyCapture() override { Stop(); }

    bool Start(Callback callback) override;
    void Stop() override;
    std::vector<KeyCombination> SetTakenKeys(const std::vector<KeyCombination>& combinations) override;

private:
    enum class Phase { Waiting, Live, Failed };

    bool OpenConnections();
    bool CreateContext();
    void CloseConnections();
    void Run();
    static void Intercept(XPointer self, XRecordInterceptData* data);
    void OnStartOfData();
    void OnKeyEvent(const unsigned char* wire);
    void FollowKeyboardMap();
    // The keyboard map, read again after the server reported a new one.
    const x11::KeyboardMap* Map();
    void SetPhase(Phase phase);

    // The combinations taken from the focused window (GUI thread).
    std::unique_ptr<x11::KeyGrabs> grabs_;
    x11::X11Display control_;
    x11::X11Display data_;
    x11::X11Display lookup_;
    XRecordContext context_ = 0;
    // Used on the capture thread only, like the lookup connection.
    std::unique_ptr<x11::KeyboardMap> map_;
    std::thread thread_;
    Callback callback_;
    // Written by the capture thread only while it runs; cleared after it ends.
    KeyStateTable table_;

    std::mutex mutex_;
    std::condition_variable phaseChanged_;
    Phase phase_ = Phase::Waiting;
};

bool X11KeyCapture::OpenConnections() {
    control_ = x11::X11Display::Open();
    data_ = control_ ? x11::X11Display::Open() : x11::X11Display();
    lookup_ = data_ ? x11::X11Display::Open() : x11::X11Display();
    if (!lookup_)
        return false;
    int major = 0;
    int minor = 0;
    if (!XRecordQueryVersion(control_.get(), &major, &minor))
        return false;
    // The lookup connection learns of every new keyboard map from these
    // (a new layout arrives as a new keyboard).
    XkbSelectEvents(lookup_.get(), XkbUseCoreKbd, XkbMapNotifyMask | XkbNewKeyboardNotifyMask,
                    XkbMapNotifyMask | XkbNewKeyboardNotifyMask);
    return true;
}

bool X11KeyCapture::CreateContext() {
    XRecordRange* range = XRecordAllocRange();
    if (!range)
        return false;
    range->device_events.first = KeyPress;
    range->device_events.last = KeyRelease;
    XRecordClientSpec clients = XRecordAllClients;
    // A server that refuses recording fails the start.
    x11::X11ErrorTrap trap(control_.get());
    context_ = XRecordCreateContext(control_.get(), 0, &clients, 1, &range, 1);
    XFree(range);
    if (trap.Failed())
        context_ = 0;
    return context_ != 0;
}

void X11KeyCapture::CloseConnections() {
    lookup_.Close();
    data_.Close();
    control_.Close();
}

bool X11KeyCapture::Start(Callback callback) {
    if (thread_.joinable() || !callback)
        return false;
    if (!OpenConnections() || !CreateContext()) {
        CloseConnections();
        return false;
    }
    callback_ = std::move(callback);
    phase_ = Phase::Waiting;
    thread_ = std::thread(&X11KeyCapture::Run, this);
    Phase phase;
    {
        std::unique_lock lock(mutex_);
        phaseChanged_.wait(lock, [this] { return phase_ != Phase::Waiting; });
        phase = phase_;
    }
    if (phase == Phase::Live)
        return true;
    Stop();
    return false;
}

std::vector<KeyCombination> X11KeyCapture::SetTakenKeys(const std::vector<KeyCombination>& combinations) {
    grabs_.reset();
    // Taken keys are reported by the capture; without it they would be lost.
    if (combinations.empty() || !thread_.joinable())
        return {};
    grabs_ = x11::KeyGrabs::Take(combinations);
    return grabs_ ? grabs_->Refused() : std::vector<KeyCombination>();
}

void X11KeyCapture::Stop() {
    grabs_.reset();
    if (!thread_.joinable())
        return;
    // Ends XRecordEnableContext on the data connection; a context that never
    // became enabled makes the thread return by itself. Such a context has
    // nothing to disable: the trap takes the error, and its end sends the
    // request on its way before the thread is waited for.
    {
        x11::X11ErrorTrap trap(control_.get());
        XRecordDisableContext(control_.get(), context_);
    }
    thread_.join();
    {
        x11::X11ErrorTrap trap(control_.get());
        XRecordFreeContext(control_.get(), context_);
    }
    context_ = 0;
    map_.reset();
    CloseConnections();
    callback_ = nullptr;
    table_.Clear();
}

void X11KeyCapture::SetPhase(Phase phase) {
    {
        std::lock_guard lock(mutex_);
        phase_ = phase;
    }
    phaseChanged_.notify_all();
}

void X11KeyCapture::Run() {
    XRecordEnableContext(data_.get(), context_, &X11KeyCapture::Intercept, reinterpret_cast<XPointer>(this));
    // Either the context was disabled after it went live, or enabling failed.
    std::lock_guard lock(mutex_);
    if (phase_ == Phase::Waiting) {
        phase_ = Phase::Failed;
        phaseChanged_.notify_all();
    }
}

void X11KeyCapture::Intercept(XPointer self, XRecordInterceptData* data) {
    auto* capture = reinterpret_cast<X11KeyCapture*>(self);
    switch (data->category) {
    case XRecordStartOfData:
        capture->OnStartOfData();
        break;
    case XRecordFromServer:
        if (data->data && data->data_len * 4 >= sizeof(xEvent))
            capture->OnKeyEvent(data->data);
        break;
    default:
        break;
    }
    XRecordFreeData(data);
}

void X11KeyCapture::OnStartOfData() {
    char keys[32] = {};
    XQueryKeymap(lookup_.get(), keys);
    XkbStateRec state{};
    const int group = XkbGetState(lookup_.get(), XkbUseCoreKbd, &state) == Success ? state.group : 0;
    if (const x11::KeyboardMap* map = Map()) {
        for (unsigned keycode = 8; keycode < 256; ++keycode) {
            if (keys[keycode / 8] & (1 << (keycode % 8)))
                table_.Seed(static_cast<int>(keycode),
                            static_cast<std::uint32_t>(map->VirtualKeyOf(keycode, group, false, false)));
        }
    }
    SetPhase(Phase::Live);
}

void X11KeyCapture::FollowKeyboardMap() {
    // Every notification the lookup connection gets is of a new map.
    while (XEventsQueued(lookup_.get(), QueuedAfterReading) > 0) {
        XEvent event;
        XNextEvent(lookup_.get(), &event);
        if (event.type == MappingNotify)
            XRefreshKeyboardMapping(&event.xmapping);
        map_.reset();
    }
}

const x11::KeyboardMap* X11KeyCapture::Map() {
    if (!map_)
        map_ = x11::KeyboardMap::Read(lookup_.get());
    return map_.get();
}

void X11KeyCapture::OnKeyEvent(const unsigned char* wire) {
    xEvent event;
    std::memcpy(&event, wire, sizeof event);
    const int type = event.u.u.type & 0x7F;
    if (type != KeyPress && type != KeyRelease)
        return;
    FollowKeyboardMap();
    const unsigned keycode = event.u.u.detail;
    const unsigned state = event.u.keyButtonPointer.state;
    const x11::KeyboardMap* map = Map();
    const auto virtualKey = static_cast<std::uint32_t>(map ? map->VirtualKeyOf(keycode, state) : 0);
    const KeyEvent key = table_.Apply(static_cast<int>(keycode), virtualKey, type == KeyPress);
    callback_(key);
}

}  // namespace

std::shared_ptr<KeyCapture> CreateX11KeyCapture() { return std::make_shared<X11KeyCapture>(); }

}  // namespace orvexa::platform
