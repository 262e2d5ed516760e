#pragma once

#include "platform/KeyCapture.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QObject>
#include <QSet>
#include <QStringList>

#include <memory>
#include <mutex>
#include <optional>

namespace orvexa::platform::portal {

class PortalSession;

// Whether the session bus has the desktop portal with a GlobalShortcuts
// interface.
bool GlobalShortcutsAvailable(const QDBusConnection& bus);

// The ids of the shortcuts BindShortcuts' results list as bound (their
// `shortcuts`, a(sa{sv})); no value when the results list none.
std::optional<QStringList> ListedShortcutIds(const QVariant& listed);

// KEY binds through the desktop's GlobalShortcuts portal, for Wayland
// sessions: the running script's key names are bound as shortcuts of one
// session (the desktop may ask the user to confirm them), each with its
// preferred trigger made from the name, and an activation is reported as
// the press and the release of the named key with its modifiers. Other
// typing is never seen.
//
// The names the desktop does not bind (its portal fails, or answers
// without them) go to the fallback capture (X11's, which sees the keys
// typed into X11 windows), which reports their keys only; the notice says
// which names are which. A session the desktop ends is made anew at the
// next run.
class PortalShortcutCapture final : public QObject, public KeyCapture {
    Q_OBJECT
public:
    explicit PortalShortcutCapture(QDBusConnection bus, std::shared_ptr<KeyCapture> fallback = nullptr);
    ~PortalShortcutCapture() override;

    bool Start(Callback callback) override;
    void Stop() override;
    void SetWantedKeys(const QStringList& keyNames) override;
    QString WantedKeysNotice() const override;
    bool AsksTheDesktop() const override { return true; }

    int RequestTimeoutMs = 120000;

private slots:
    void Activated(const QDBusMessage& message);

private:
    // The session, made when there is none; empty with the reason when
    // the desktop makes none.
    QString EnsureSession();
    // Binds the names not bound yet; the reason when the desktop failed.
    QString Bind(const QStringList& keyNames);
    // Runs the fallback for the names the desktop did not bind.
    void FallBack(const QStringList& names);
    void FallbackEvent(const KeyEvent& event);

    QDBusConnection bus_;
    std::shared_ptr<KeyCapture> fallback_;
    bool fallbackStarted_ = false;
    mutable std::mutex mutex_;
    Callback callback_;
    bool started_ = false;
    std::unique_ptr<PortalSession> session_;
    // A set: a script may want tens of thousands of names, each looked up.
    QSet<QString> bound_;
    QStringList wanted_;
    // The wanted names that the fallback reports.
    QStringList fallbackNames_;
    QString notice_;
};

}  // namespace orvexa::platform::portal
