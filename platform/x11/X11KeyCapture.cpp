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
// For TEXT binds (SetTypingWatch) the capture also records mouse button
// presses and the XTEST requests of every client: a key event that the
// program's own input connection asked for (OwnInputClients) is its own
// typing, and is not reported as the user's. The server makes the event of
// an XTEST request while it handles the request, so the event follows the
// request's record at once.
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
#include "platform/x11/OwnInputClients.h"
#include "platform/x11/TypingTranslator.h"
#include "platform/x11/WindowTree.h"
#include "platform/x11/X11Display.h"
#include "platform/x11/X11ErrorTrap.h"

#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/Xproto.h>
#include <X11/extensions/record.h>
#include <X11/extensions/xtestproto.h>

#include <algorithm>
#include <condition_variable>
#include <cstring>
#include <deque>
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
    bool SetTypingWatch(const TypingCallback& callback) override;

private:
    enum class Phase { Waiting, Live, Failed };

    bool OpenConnections();
    bool CreateContext();
    void CloseConnections();
    void Run();
    static void Intercept(XPointer self, XRecordInterceptData* data);
    void OnStartOfData();
    void OnKeyEvent(const unsigned char* wire);
    void OnRequest(const XRecordInterceptData& data);
    // Whether the key or button event is one the program's own input asked
    // for (and forgets that request).
    bool OwnEvent(int type, unsigned detail);
    void ReportTyping(int type, unsigned detail, unsigned state, bool own, const KeyEvent& key);
    // The top-level window that holds the keyboard focus now (lookup
    // connection).
    unsigned long FocusedTopLevel();
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
    int xtestOpcode_ = -1;
    // The key and button events the program's own XTEST requests asked for
    // and not seen yet (capture thread), each with the number of events
    // seen since: one a release of a key that is up never comes, and ages out.
    struct OwnRequest {
        int type;
        unsigned detail;
        int age;
    };
    std::deque<OwnRequest> ownRequests_;
    // The typing watch (set on the GUI thread, called on the capture
    // thread) and its translator (capture thread).
    std::mutex typingMutex_;
    TypingCallback typing_;
    std::unique_ptr<x11::TypingTranslator> translator_;

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
    XRecordRange* ranges[2] = {XRecordAllocRange(), nullptr};
    int count = 1;
    if (!ranges[0])
        return false;
    // Keys, and the button presses that end typing for TEXT binds.
    ranges[0]->device_events.first = KeyPress;
    ranges[0]->device_events.last = ButtonPress;
    int event = 0;
    int error = 0;
    if (XQueryExtension(control_.get(), "XTEST", &xtestOpcode_, &event, &error) &&
        (ranges[1] = XRecordAllocRange()) != nullptr) {
        ranges[1]->ext_requests.ext_major.first = static_cast<unsigned char>(xtestOpcode_);
        ranges[1]->ext_requests.ext_major.last = static_cast<unsigned char>(xtestOpcode_);
        ranges[1]->ext_requests.ext_minor.first = X_XTestFakeInput;
        ranges[1]->ext_requests.ext_minor.last = X_XTestFakeInput;
        count = 2;
    } else {
        xtestOpcode_ = -1;
    }
    XRecordClientSpec clients = XRecordAllClients;
    // A server that refuses recording fails the start.
    x11::X11ErrorTrap trap(control_.get());
    context_ = XRecordCreateContext(control_.get(), 0, &clients, 1, ranges, count);
    for (XRecordRange* range : ranges)
        if (range)
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

bool X11KeyCapture::SetTypingWatch(const TypingCallback& callback) {
    const bool watching = static_cast<bool>(callback);
    std::lock_guard lock(typingMutex_);
    typing_ = callback;
    return watching && thread_.joinable();
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
    translator_.reset();
    ownRequests_.clear();
    {
        std::lock_guard lock(typingMutex_);
        typing_ = nullptr;
    }
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
    case XRecordFromClient:
        capture->OnRequest(*data);
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
        translator_.reset();
    }
}

const x11::KeyboardMap* X11KeyCapture::Map() {
    if (!map_)
        map_ = x11::KeyboardMap::Read(lookup_.get());
    return map_.get();
}

void X11KeyCapture::OnRequest(const XRecordInterceptData& data) {
    if (xtestOpcode_ < 0 || !data.data || data.data_len * 4 < sz_xXTestFakeInputReq ||
        !x11::IsOwnInputClient(static_cast<std::uint32_t>(data.id_base)))
        return;
    xXTestFakeInputReq request;
    std::memcpy(&request, data.data, sizeof request);
    if (request.reqType != xtestOpcode_ || request.xtReqType != X_XTestFakeInput)
        return;
    const int type = request.type & 0x7F;
    if (type == KeyPress || type == KeyRelease || type == ButtonPress)
        ownRequests_.push_back({type, request.detail, 0});
}

bool X11KeyCapture::OwnEvent(int type, unsigned detail) {
    // Each request makes its event before any other event is made, so a
    // handful of events is plenty of time for it to show.
    constexpr int kLongestWait = 8;
    const auto mine = std::find_if(ownRequests_.begin(), ownRequests_.end(),
                                   [&](const OwnRequest& r) { return r.type == type && r.detail == detail; });
    const bool own = mine != ownRequests_.end();
    if (own)
        ownRequests_.erase(mine);
    for (OwnRequest& request : ownRequests_)
        ++request.age;
    std::erase_if(ownRequests_, [](const OwnRequest& r) { return r.age > kLongestWait; });
    return own;
}

void X11KeyCapture::OnKeyEvent(const unsigned char* wire) {
    xEvent event;
    std::memcpy(&event, wire, sizeof event);
    const int type = event.u.u.type & 0x7F;
    if (type != KeyPress && type != KeyRelease && type != ButtonPress)
        return;
    const unsigned detail = event.u.u.detail;
    const unsigned state = event.u.keyButtonPointer.state;
    const bool own = !ownRequests_.empty() && OwnEvent(type, detail);
    KeyEvent key;
    if (type != ButtonPress) {
        FollowKeyboardMap();
        const x11::KeyboardMap* map = Map();
        const auto virtualKey = static_cast<std::uint32_t>(map ? map->VirtualKeyOf(detail, state) : 0);
        key = table_.Apply(static_cast<int>(detail), virtualKey, type == KeyPress);
        callback_(key);
    }
    ReportTyping(type, detail, state, own, key);
}

void X11KeyCapture::ReportTyping(int type, unsigned detail, unsigned state, bool own, const KeyEvent& key) {
    std::lock_guard lock(typingMutex_);
    if (!typing_) {
        translator_.reset();  // with any dead key it waited on
        return;
    }
    // Releases, the program's own keys and the wheel leave the text as it is.
    constexpr unsigned kFirstWheelButton = 4;
    constexpr unsigned kLastWheelButton = 7;
    if (type == KeyRelease || own || (type == ButtonPress && detail >= kFirstWheelButton && detail <= kLastWheelButton))
        return;
    Typing typing;
    if (type == ButtonPress) {
        typing.kind = Typing::Kind::Click;
        if (translator_)
            translator_->Forget();
    } else {
        if (!translator_)
            translator_ = x11::TypingTranslator::Read(lookup_.get());
        if (!translator_)
            return;
        typing = translator_->Press(detail, state);
        typing.modifiers = key.modifiers;
        typing.focus = FocusedTopLevel();
    }
    typing_(typing);
}

unsigned long X11KeyCapture::FocusedTopLevel() {
    Display* display = lookup_.get();
    Window focus = None;
    int revert = 0;
    XGetInputFocus(display, &focus, &revert);
    if (focus == None || focus == PointerRoot)
        return focus;
    // A toolkit may give the focus to a window inside its top-level one: GTK
    // does, a moment after the window manager focused the top-level one,
    // which may be while the user types. The text goes to the same window
    // all the same.
    const x11::X11ErrorTrap trap(display);  // the windows may go away meanwhile
    const unsigned long topLevel = x11::TopLevelOf(display, focus);
    return topLevel != 0 ? topLevel : focus;
}

}  // namespace

std::shared_ptr<KeyCapture> CreateX11KeyCapture() { return std::make_shared<X11KeyCapture>(); }

}  // namespace orvexa::platform
