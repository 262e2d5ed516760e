#include "app/AppIdentity.h"

#include "core/Strings.h"

#include <QGuiApplication>
#include <QIcon>

// The icon lives in this static library's resources, which a static library
// must register by hand, outside any namespace.
static void RegisterIcons() { Q_INIT_RESOURCE(icons); }

namespace orvexa {

void SetApplicationIdentity(QGuiApplication& app) {
    RegisterIcons();
    app.setApplicationName(strings::AppTitle());
    app.setApplicationVersion(ApplicationVersion());
    app.setDesktopFileName(QStringLiteral("orvexa"));
    app.setWindowIcon(QIcon(QStringLiteral(":/icons/orvexa.svg")));
}

QString ApplicationVersion() { return QStringLiteral(ORVEXA_VERSION); }

}  // namespace orvexa
