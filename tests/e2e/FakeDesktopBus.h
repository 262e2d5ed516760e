#pragma once

// Desktop services of the test's own on its private session bus, as a
// desktop shell offers them to programs: the StatusNotifierItem watcher (the
// tray host) and the notification daemon. Each answers from a thread of its
// own, so the test may block (waiting for a window, a file, a process)
// while the program under test calls them; and a client for the items and
// menus that programs export there.

#include <QByteArray>
#include <QList>
#include <QMutex>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QThread>
#include <QVariantMap>

#include <functional>

namespace orvexa::test {

// Runs a QObject on the session bus under a service name and object path,
// in a thread of its own, until destroyed.
class BusServiceThread {
public:
    // Takes the object; false from Registered() when the name or path could
    // not be had.
    BusServiceThread(QObject* object, const QString& service, const QString& path);
    ~BusServiceThread();
    BusServiceThread(const BusServiceThread&) = delete;
    BusServiceThread& operator=(const BusServiceThread&) = delete;
    bool Registered() const { return registered_; }

private:
    QThread thread_;
    QObject* object_;
    QString service_;
    QString path_;
    bool registered_ = false;
};

// What a fake service was told, guarded for the test's thread to read.
class CallLog {
public:
    void Add(const QString& entry);
    QStringList Entries() const;
    // Polls until `match` holds for the entries, at most timeoutMs.
    bool WaitFor(const std::function<bool(const QStringList&)>& match, int timeoutMs = 20000) const;

private:
    mutable QMutex mutex_;
    QStringList entries_;
};

// org.kde.StatusNotifierWatcher: a host is registered, items register.
class FakeStatusNotifierWatcher : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.StatusNotifierWatcher")
    Q_PROPERTY(bool IsStatusNotifierHostRegistered READ IsStatusNotifierHostRegistered)
    Q_PROPERTY(int ProtocolVersion READ ProtocolVersion)
    Q_PROPERTY(QStringList RegisteredStatusNotifierItems READ RegisteredStatusNotifierItems)
public:
    explicit FakeStatusNotifierWatcher(CallLog& items) : items_(items) {}
    bool IsStatusNotifierHostRegistered() const { return true; }
    int ProtocolVersion() const { return 0; }
    QStringList RegisteredStatusNotifierItems() const { return items_.Entries(); }

public slots:
    void RegisterStatusNotifierItem(const QString& service);
    void RegisterStatusNotifierHost(const QString& service);

signals:
    void StatusNotifierItemRegistered(const QString& service);
    void StatusNotifierItemUnregistered(const QString& service);
    void StatusNotifierHostRegistered();

private:
    CallLog& items_;
};

// org.freedesktop.Notifications: each Notify is logged as
// "app|summary|body".
class FakeNotifications : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")
public:
    explicit FakeNotifications(CallLog& log) : log_(log) {}

public slots:
    uint Notify(const QString& app, uint replaces, const QString& icon, const QString& summary, const QString& body,
                const QStringList& actions, const QVariantMap& hints, int timeout);
    QStringList GetCapabilities() { return {QStringLiteral("body")}; }
    void CloseNotification(uint) {}
    QString GetServerInformation(QString& vendor, QString& version, QString& specVersion);

signals:
    void NotificationClosed(uint id, uint reason);
    void ActionInvoked(uint id, const QString& action);

private:
    CallLog& log_;
    uint next_ = 0;
};

// A tray host's and a desktop's view of the tray watcher and its items.
class TrayHost {
public:
    TrayHost();
    // The bus name of the first item that registered, waited for.
    QString WaitForItem(int timeoutMs = 30000);

    // The item's tooltip: its title and text, joined by a newline.
    static QString ToolTip(const QString& item);
    // The item's picture: its pixmaps' bytes, every size.
    static QByteArray Picture(const QString& item);
    static QString Status(const QString& item);
    // A click on the icon.
    static void Activate(const QString& item);

    struct MenuEntry {
        int id = 0;
        // The labels from the menu's top, without their mnemonics' marks:
        // "Run", "Scripts/Second".
        QString path;
        bool enabled = true;
        int toggleState = -1;
    };
    // The item's menu, every entry, in order.
    static QList<MenuEntry> Menu(const QString& item);
    // Chooses the entry with the path; false when there is none.
    static bool Choose(const QString& item, const QString& path);

private:
    CallLog items_;
    BusServiceThread watcher_;
};

}  // namespace orvexa::test
