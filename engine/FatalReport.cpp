#include "engine/FatalReport.h"

#include "platform/Dialogs.h"

#include <QGuiApplication>

#include <cstdio>

namespace orvexa {
namespace {

bool DisplayUsable() {
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        return false;
    const QString platform = QGuiApplication::platformName();
    return platform != QLatin1String("offscreen") && platform != QLatin1String("minimal");
}

}  // namespace

void WriteToStandardError(const QString& text) {
    const QByteArray bytes = text.toLocal8Bit() + '\n';
    std::fwrite(bytes.constData(), 1, static_cast<std::size_t>(bytes.size()), stderr);
    std::fflush(stderr);
}

void ReportFatal(const QString& text, bool showBox, platform::Dialogs* dialogs, FatalBoxPolicy policy) {
    WriteToStandardError(text);
    if (!showBox || !dialogs)
        return;
    if (policy == FatalBoxPolicy::WhenDisplayUsable && !DisplayUsable())
        return;
    try {
        dialogs->ShowFatal(text);
    } catch (...) {
        // The box could not be shown: the text is on standard error already.
    }
}

}  // namespace orvexa
