#include "platform/fake/RecordingShell.h"

namespace orvexa::platform {

void RecordingShell::OpenAddress(const QString& address) { opened.append(QStringLiteral("address:") + address); }
void RecordingShell::OpenProgram(const QString& target) { opened.append(QStringLiteral("program:") + target); }

bool RecordingShell::OpenWithOpener(const QString& file) {
    if (!hasOpener)
        return false;
    opened.append(QStringLiteral("opener:") + file);
    return true;
}

}  // namespace orvexa::platform
