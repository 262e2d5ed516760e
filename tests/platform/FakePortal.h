#pragma once

#include <QStringList>
#include <QThread>

#include <functional>
#include <mutex>

namespace orvexa::test {

// A desktop portal of our own on the test's private session bus:
// org.freedesktop.portal.Desktop with the RemoteDesktop,
// ScreenCast and GlobalShortcuts methods the backends use, answering through Request
// objects as a desktop does. It runs on a thread and a connection of its
// own, and records every call as a line ("SelectDevices persist_mode=2
// restore_token=... types=3", "NotifyKeyboardKeycode 30 1").
class FakePortal : public QThread {
public:
    // The RemoteDesktop interface's version: 1 cannot persist a permission,
    // 2 can (and hands out restore tokens).
    explicit FakePortal(unsigned version) : screenCastVersion(version), version_(version) {}
    ~FakePortal() override;

    // The user says no to Start.
    bool refuse = false;
    // The device types Start grants (GNOME grants none unless "Allow
    // remote interaction" is switched on).
    unsigned devices = 3;
    // CreateSession's session_handle as an object path, as the interface
    // file says (xdg-desktop-portal 1.16 gives a string).
    bool handleAsObjectPath = false;
    // Start takes the request and no one answers it (a dialog left open).
    bool leaveStartOpen = false;
    // GlobalShortcuts: CreateSession fails as a missing backend makes it,
    // or BindShortcuts answers success with no shortcut bound (KDE 5.27).
    bool shortcutsFail = false;
    bool shortcutsNone = false;
    // The ScreenCast interface's version (2 adds cursor modes, 4
    // persistence) and its AvailableCursorModes (1 hidden, 2 embedded, 4
    // metadata). Set before StartService.
    unsigned screenCastVersion;
    unsigned cursorModes = 1 | 2 | 4;
    // The stream Start hands out: its node and size.
    unsigned streamNode = 42;
    int streamWidth = 1920;
    int streamHeight = 1080;
    // Opens the PipeWire connection OpenPipeWireRemote hands out (a new
    // descriptor, closed by the portal once sent); none: the call fails.
    std::function<int()> pipeWire;

    // Starts the thread and waits until the service is on the bus.
    bool StartService();
    QStringList Calls() const;
    // The desktop reports that the user pressed the shortcut `id` of the
    // last global-shortcut session.
    void Activate(const QString& id);
    // The desktop ends the last session made (Session.Closed).
    void EndSession();
    // Waits until `count` calls are recorded.
    bool WaitForCalls(int count, int timeoutMs = 5000) const;

protected:
    void run() override;

private:
    friend class FakePortalObject;
    void Record(const QString& line);

    const unsigned version_;
    mutable std::mutex mutex_;
    QStringList calls_;
    bool ready_ = false;
    bool failed_ = false;
    int tokens_ = 0;
    QString shortcutSession_;
    QString lastSession_;
};

}  // namespace orvexa::test
