// Key names as script writers type them: KEY names (checked, and the name
// meant suggested), their reading by the shortcut portal, and HOTKEY names.
#include "binds/HotkeyNames.h"
#include "binds/KeyNames.h"
#include "fuzz/FuzzSupport.h"
#include "platform/portal/ShortcutNames.h"

using namespace orvexa;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QString name = QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));

    const bool isKeyName = IsKeyName(name);
    const QString meant = KeyNameMeant(name);
    if (!meant.isEmpty() && (isKeyName || !IsKeyName(meant)))
        fuzz::Fail("the KEY name meant is offered for a valid name, or is no KEY name itself");
    if (KeyNameWarning(name).isEmpty() != isKeyName)
        fuzz::Fail("a KEY name is warned of, or an unknown one is not");
    if (const auto portal = platform::portal::ParseKeyName(name); portal && !isKeyName)
        fuzz::Fail("the portal reads a name no key press has");
    (void)platform::portal::TriggerOf(name);

    if (const auto combination = ParseHotkeyName(name)) {
        const QString written = HotkeyName(*combination);
        if (written.isEmpty() || ParseHotkeyName(written) != combination)
            fuzz::Fail("a HOTKEY name's combination is not read back from its written name");
        const QString keyName = KeyNameOf(*combination);
        if (!keyName.isEmpty() && !IsKeyName(keyName))
            fuzz::Fail("a combination's KEY name is no KEY name");
    }
    return 0;
}
