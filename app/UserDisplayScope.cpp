#include "app/UserDisplayScope.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>

namespace orvexa {
namespace {

// The display's name as a file name: ":0" becomes "x11-0", "wayland-0"
// stays, no display at all "none".
QString DisplayName() {
    QString name;
    if (const QString x11 = qEnvironmentVariable("DISPLAY"); !x11.isEmpty())
        name = QStringLiteral("x11-") + x11;
    else if (const QString wayland = qEnvironmentVariable("WAYLAND_DISPLAY"); !wayland.isEmpty())
        name = QStringLiteral("wayland-") + wayland;
    else
        return QStringLiteral("none");
    for (QChar& c : name)
        if (!c.isLetterOrNumber() && c != u'-' && c != u'.')
            c = u'_';
    return name;
}

}  // namespace

QString UserDisplayFolder() {
    const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (runtime.isEmpty())
        return QString();
    QString folder = runtime + QStringLiteral("/orvexa/") + DisplayName();
    if (!QDir().mkpath(folder))
        return QString();
    QFile::setPermissions(runtime + QStringLiteral("/orvexa"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return folder;
}

}  // namespace orvexa
