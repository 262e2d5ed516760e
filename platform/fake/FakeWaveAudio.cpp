#include "platform/fake/FakeWaveAudio.h"

namespace orvexa::platform {

QString FakeWaveAudio::Open(const QString& fileName) {
    // An open device takes the new sound; a failure closes it.
    log.append(QStringLiteral("open ") + fileName);
    const auto failure = failures.constFind(fileName);
    if (failure != failures.constEnd()) {
        Close();
        return *failure;
    }
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
