#include "platform/fake/FakeWaveAudio.h"

namespace orvexa::platform {

QString FakeWaveAudio::Open(const QString& fileName) {
    if (open_)
        Close();
    log.append(QStringLiteral("open ") + fileName);
    const auto failure = failures.constFind(fileName);
    if (failure != failures.constEnd())
        return *failure;
    open_ = true;
    return QString();
}

void FakeWaveAudio::Play() {
    if (open_)
        log.append(QStringLiteral("play"));
}

void FakeWaveAudio::Close() {
    if (!open_)
        return;
    log.append(QStringLiteral("close"));
    open_ = false;
}

}  // namespace orvexa::platform
