#pragma once

#include "platform/WaveAudio.h"

#include <QHash>
#include <QStringList>

namespace orvexa::platform {

// Records the device commands as text lines ("open <file>", "play",
// "close"). Opening a file named in `failures` fails with its text.
class FakeWaveAudio final : public WaveAudio {
public:
    QString Open(const QString& fileName) override;
    void Play() override;
    void Close() override;
    bool IsOpen() const override { return open_; }

    QStringList log;
    QHash<QString, QString> failures;

private:
    bool open_ = false;
};

}  // namespace orvexa::platform
