#include "tests/e2e/FakeDesktopBus.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QElapsedTimer>
#include <QMutexLocker>

namespace orvexa::test {
namespace {

const QString kWatcherService = QStringLiteral("org.kde.StatusNotifierWatcher");
const QString kItemPath = QStringLiteral("/StatusNotifierItem");
const QString kItemInterface = QStringLiteral("org.kde.StatusNotifierItem");
const QString kMenuInterface = QStringLiteral("com.canonical.dbusmenu");
constexpr int kCallTimeoutMs = 5000;

QVariant ItemProperty(const QString& item, const QString& name) {
    QDBusMessage get = QDBusMessage::createMethodCall(
        item, kItemPath, QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
    get << kItemInterface << name;
    const QDBusMessage reply = QDBusConnection::sessionBus().call(get, QDBus::Block, kCallTimeoutMs);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return {};
    return reply.arguments().constFirst().value<QDBusVariant>().variant();
}

// a(iiay): the pixmaps of one picture.
QByteArray ReadPixmaps(const QDBusArgument& argument) {
    QByteArray all;
    argument.beginArray();
    while (!argument.atEnd()) {
        int width = 0;
        int height = 0;
        QByteArray bytes;
        argument.beginStructure();
        argument >> width >> height >> bytes;
        argument.endStructure();
        all += bytes;
    }
    argument.endArray();
    return all;
}

// A dbusmenu label without its mnemonic marks ("_Run" is Run, "__" an
// underscore).
QString PlainLabel(QString label) {
    label.replace(QStringLiteral("__"), QStringLiteral("\x01"));
    label.remove(u'_');
    label.replace(u'\x01', u'_');
    return label;
}

// (ia{sv}av): one entry and its children.
void ReadMenuNode(const QDBusArgument& argument, const QString& parent, bool root, QList<TrayHost::MenuEntry>& out) {
    int id = 0;
    QVariantMap properties;
    argument.beginStructure();
    argument >> id >> properties;
    QString path = parent;
    if (!root && properties.value(QStringLiteral("type")).toString() != QStringLiteral("separator")) {
        TrayHost::MenuEntry entry;
        entry.id = id;
        const QString label = PlainLabel(properties.value(QStringLiteral("label")).toString());
        entry.path = parent.isEmpty() ? label : parent + u'/' + label;
        entry.enabled = properties.value(QStringLiteral("enabled"), true).toBool();
        entry.toggleState = properties.value(QStringLiteral("toggle-state"), -1).toInt();
        path = entry.path;
        out.append(entry);
    }
    argument.beginArray();
    while (!argument.atEnd()) {
        QDBusVariant child;
        argument >> child;
        ReadMenuNode(child.variant().value<QDBusArgument>(), path, false, out);
    }
    argument.endArray();
    argument.endStructure();
}

QString MenuPath(const QString& item) {
    return ItemProperty(item, QStringLiteral("Menu")).value<QDBusObjectPath>().path();
}

}  // namespace

BusServiceThread::BusServiceThread(QObject* object, const QString& service, const QString& path)
    : object_(object), service_(service), path_(path) {
    thread_.start();
    object_->moveToThread(&thread_);
    // Registered from the object's own thread, where the bus's helpers for
    // it live. The object first: whoever finds the name finds the object.
    QMetaObject::invokeMethod(
        object_,
        [this] {
            QDBusConnection bus = QDBusConnection::sessionBus();
            registered_ = bus.registerObject(path_, object_,
                                             QDBusConnection::ExportAllSlots | QDBusConnection::ExportAllSignals |
                                                 QDBusConnection::ExportAllProperties) &&
                          bus.registerService(service_);
        },
        Qt::BlockingQueuedConnection);
}

BusServiceThread::~BusServiceThread() {
    QMetaObject::invokeMethod(
        object_,
        [this] {
            QDBusConnection bus = QDBusConnection::sessionBus();
            bus.unregisterService(service_);
            bus.unregisterObject(path_);
            delete object_;
        },
        Qt::BlockingQueuedConnection);
    thread_.quit();
    thread_.wait();
}

void CallLog::Add(const QString& entry) {
    const QMutexLocker lock(&mutex_);
    entries_.append(entry);
}

QStringList CallLog::Entries() const {
    const QMutexLocker lock(&mutex_);
    return entries_;
}

bool CallLog::WaitFor(const std::function<bool(const QStringList&)>& match, int timeoutMs) const {
    QElapsedTimer clock;
    clock.start();
    while (!match(Entries())) {
        if (clock.elapsed() > timeoutMs)
            return false;
        QThread::msleep(20);
    }
    return true;
}

void FakeStatusNotifierWatcher::RegisterStatusNotifierItem(const QString& service) {
    items_.Add(service);
    emit StatusNotifierItemRegistered(service);
}

void FakeStatusNotifierWatcher::RegisterStatusNotifierHost(const QString&) { emit StatusNotifierHostRegistered(); }

uint FakeNotifications::Notify(const QString& app, uint, const QString&, const QString& summary, const QString& body,
                               const QStringList&, const QVariantMap&, int) {
    log_.Add(app + u'|' + summary + u'|' + body);
    return ++next_;
}

QString FakeNotifications::GetServerInformation(QString& vendor, QString& version, QString& specVersion) {
    vendor = QStringLiteral("orvexa tests");
    version = QStringLiteral("1");
    specVersion = QStringLiteral("1.2");
    return QStringLiteral("fake notifications");
}

TrayHost::TrayHost()
    : watcher_(new FakeStatusNotifierWatcher(items_), kWatcherService, QStringLiteral("/StatusNotifierWatcher")) {}

QString TrayHost::WaitForItem(int timeoutMs) {
    items_.WaitFor([](const QStringList& items) { return !items.isEmpty(); }, timeoutMs);
    return items_.Entries().value(0);
}

QString TrayHost::ToolTip(const QString& item) {
    const auto argument = ItemProperty(item, QStringLiteral("ToolTip")).value<QDBusArgument>();
    QString icon;
    QString title;
    QString text;
    argument.beginStructure();
    argument >> icon;
    ReadPixmaps(argument);
    argument >> title >> text;
    argument.endStructure();
    return text.isEmpty() ? title : title + u'\n' + text;
}

QByteArray TrayHost::Picture(const QString& item) {
    return ReadPixmaps(ItemProperty(item, QStringLiteral("IconPixmap")).value<QDBusArgument>());
}

QString TrayHost::Status(const QString& item) { return ItemProperty(item, QStringLiteral("Status")).toString(); }

void TrayHost::Activate(const QString& item) {
    QDBusMessage activate = QDBusMessage::createMethodCall(item, kItemPath, kItemInterface, QStringLiteral("Activate"));
    activate << 0 << 0;
    QDBusConnection::sessionBus().call(activate, QDBus::Block, kCallTimeoutMs);
}

QList<TrayHost::MenuEntry> TrayHost::Menu(const QString& item) {
    QDBusMessage layout =
        QDBusMessage::createMethodCall(item, MenuPath(item), kMenuInterface, QStringLiteral("GetLayout"));
    layout << 0 << -1 << QStringList();
    const QDBusMessage reply = QDBusConnection::sessionBus().call(layout, QDBus::Block, kCallTimeoutMs);
    QList<MenuEntry> entries;
    if (reply.type() == QDBusMessage::ReplyMessage && reply.arguments().size() == 2)
        ReadMenuNode(reply.arguments().at(1).value<QDBusArgument>(), QString(), true, entries);
    return entries;
}

bool TrayHost::Choose(const QString& item, const QString& path) {
    for (const MenuEntry& entry : Menu(item)) {
        if (entry.path != path)
            continue;
        QDBusMessage event =
            QDBusMessage::createMethodCall(item, MenuPath(item), kMenuInterface, QStringLiteral("Event"));
        event << entry.id << QStringLiteral("clicked") << QVariant::fromValue(QDBusVariant(0)) << 0U;
        return QDBusConnection::sessionBus().call(event, QDBus::Block, kCallTimeoutMs).type() ==
               QDBusMessage::ReplyMessage;
    }
    return false;
}

}  // namespace orvexa::test
