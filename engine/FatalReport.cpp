#include "engine/FatalReport.h"

#include "platform/Dialogs.h"
#include "platform/Services.h"

#include <QGuiApplication>

#include <atomic>
#include <cstdio>

namespace orvexa {
namespace {

std::atomic<FatalBoxPolicy> policy{FatalBoxPolicy::WhenDisplayUsable};

bool DisplayUsable() {
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        return false;
    const QString platform = QGuiApplication::platformName();
    return platform != QLatin1String("offscreen") && platform != QLatin1String("minimal");
}

}  // namespace

void SetFatalBoxPolicy(FatalBoxPolicy value) { policy = value; }

FatalBoxPolicy GetFatalBoxPolicy() { return policy; }

void WriteToStandardError(const QString& text) {
    const QByteArray bytes = text.toLocal8Bit() + '\n';
    std::fwrite(bytes.constData(), 1, static_cast<std::size_t>(bytes.size()), stderr);
    std::fflush(stderr);
}

void ReportFatal(const QString& text, bool showBox) {
    WriteToStandardError(text);
    if (!showBox)
        return;
    if (policy == FatalBoxPolicy::WhenDisplayUsable && !DisplayUsable())
        return;
    try {
        platform::dialogs().ShowFatal(text);
    } catch (...) {
        // No dialog service: the text is on standard error already.
    }
}

}  // namespace orvexa
