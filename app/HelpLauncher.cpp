#include "app/HelpLauncher.h"

#include "core/Strings.h"
#include "platform/Dialogs.h"
#include "platform/Services.h"
#include "platform/Shell.h"

namespace orvexa {

void LaunchHelpFile(const platform::Services& services, const QString& fileName) {
    if (services.shell && services.shell->OpenWithOpener(fileName))
        return;
    if (services.dialogs)
        services.dialogs->ShowNotice(strings::NoOpenerNotice(fileName));
}

}  // namespace orvexa
