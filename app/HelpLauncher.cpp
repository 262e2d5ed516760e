#include "app/HelpLauncher.h"

#include "app/Strings.h"
#include "platform/Dialogs.h"
#include "platform/Services.h"
#include "platform/Shell.h"

namespace orvexa {

void LaunchHelpFile(const QString& fileName) {
    if (platform::Current().shell && platform::shell().OpenWithOpener(fileName))
        return;
    platform::dialogs().ShowNotice(strings::NoOpenerNotice(fileName));
}

}  // namespace orvexa
