#pragma once

#include "platform/Shell.h"

#include <QStringList>

namespace orvexa::platform {

// Records what would have been opened.
class RecordingShell final : public Shell {
public:
    void OpenAddress(const QString& address) override;
    void OpenProgram(const QString& target) override;
    bool OpenWithOpener(const QString& file) override;

    QStringList opened;  // "address:...", "program:...", "opener:..."
    bool hasOpener = true;
};

}  // namespace orvexa::platform
