#include "app/BindArming.h"

#include "automation/BindGlobals.h"
#include "automation/ProgramContext.h"
#include "binds/Bindary.h"
#include "binds/HotkeyNames.h"
#include "binds/KeyNames.h"
#include "binds/keyhook.h"
#include "core/Quit.h"
#include "core/Strings.h"

#include <QSet>

namespace orvexa {

bool ArmBinds(const std::unique_ptr<TBindary>& binds, ProgramContext& context,
              const std::function<void(const QString&)>& tell, const QStringList& alsoWanted) {
    if (!binds)
        return true;
    if (context.Services().newRun)
        context.Services().newRun();
    if (HookHandle) {
        // A desktop that binds shortcuts by their KEY names binds the
        // HOTKEY combinations that have one too.
        const std::vector<platform::KeyCombination> hotkeys = HotkeyCombinations(*binds);
        QStringList wanted = KeyBindNames(*binds);
        for (const platform::KeyCombination& hotkey : hotkeys)
            wanted.append(KeyNameOf(hotkey));
        // Where the desktop asks the user for the keys, the extra keys are
        // asked for only along with the script's own: a script without KEY
        // binds raises no dialog at every Run.
        const QStringList extra = !wanted.isEmpty() || !HookHandle->AsksTheDesktop() ? alsoWanted : QStringList();
        HookHandle->SetWantedKeys(UniqueNames(wanted, extra));
        if (const QString notice = HookHandle->WantedKeysNotice(); !notice.isEmpty() && tell)
            tell(notice);
        QString taken;
        for (const platform::KeyCombination& combination : HookHandle->SetTakenKeys(hotkeys))
            taken += strings::HotkeyTaken(HotkeyName(combination)) + u'\n';
        if (!taken.isEmpty() && tell)
            tell(taken);
    }
    if (const QString warnings = KeyNameWarnings(*binds); !warnings.isEmpty() && tell)
        tell(warnings);
    context.BindGlobals().Clear();
    // Each run compiles its binds' code anew, once.
    if (LineExecutor* executor = binds->BindEngine())
        executor->ForgetCompiledCode();
    const std::uint64_t stops = quit::Stops();
    const bool mainSucceeded = binds->DispatchEvent(QStringLiteral("MAIN"), QString());
    // Closing the program or stopping the script while MAIN ran starts
    // nothing more.
    if (binds && !quit::Requested() && quit::Stops() == stops)
        binds->StartTimers();
    return mainSucceeded;
}

void DisarmBinds(TBindary& binds) {
    if (HookHandle) {
        HookHandle->SetTakenKeys({});
        HookHandle->SetWantedKeys(QStringList());
    }
    binds.StopTimers();
}

QStringList KeyBindNames(const TBindary& binds) {
    QStringList names;
    for (int i = 0; i < binds.BindCount(); ++i) {
        const TBindObj* bind = binds.GetBind(i);
        if (bind->Event == QLatin1String("KEY"))
            names.append(bind->Argument);
    }
    return UniqueNames(names);
}

QStringList ArmedKeyNames(const TBindary& binds) {
    QStringList hotkeys;
    for (const platform::KeyCombination& combination : HotkeyCombinations(binds)) {
        const QString name = KeyNameOf(combination);
        hotkeys.append(name.isEmpty() ? HotkeyName(combination) : name);
    }
    // An abbreviation typed runs the TEXT binds of each process that arms it.
    for (int i = 0; i < binds.BindCount(); ++i) {
        const TBindObj* bind = binds.GetBind(i);
        if (bind->Event == QLatin1String("TEXT") && !bind->Argument.isEmpty())
            hotkeys.append(QStringLiteral("TEXT ") + bind->Argument);
    }
    return UniqueNames(KeyBindNames(binds), hotkeys);
}

std::vector<platform::KeyCombination> HotkeyCombinations(const TBindary& binds) {
    // Linear, as for the KEY names: each combination kept is remembered by
    // its key and modifier bits.
    std::vector<platform::KeyCombination> combinations;
    QSet<quint64> seen;
    for (int i = 0; i < binds.BindCount(); ++i) {
        const TBindObj* bind = binds.GetBind(i);
        if (!bind->Hotkey)
            continue;
        const platform::KeyModifiers& held = bind->Hotkey->modifiers;
        const quint64 id = (quint64{bind->Hotkey->virtualKey} << 4) | (held.shift ? 1U : 0U) |
                           (held.control ? 2U : 0U) | (held.alt ? 4U : 0U) | (held.super ? 8U : 0U);
        if (seen.contains(id))
            continue;
        seen.insert(id);
        combinations.push_back(*bind->Hotkey);
    }
    return combinations;
}

bool WantsKeys(const TBindary& binds) {
    for (int i = 0; i < binds.BindCount(); ++i) {
        const TBindObj* bind = binds.GetBind(i);
        if (((bind->Event == QLatin1String("KEY") || bind->Event == QLatin1String("TEXT")) &&
             !bind->Argument.isEmpty()) ||
            bind->Hotkey)
            return true;
    }
    return false;
}

QStringList UniqueNames(const QStringList& names, const QStringList& more) {
    // A set of the names kept so far keeps this linear: a script may hold
    // tens of thousands of KEY binds, and Run waits for this.
    QStringList unique;
    unique.reserve(names.size() + more.size());
    QSet<QString> seen;
    seen.reserve(names.size() + more.size());
    for (const QStringList* list : {&names, &more})
        for (const QString& name : *list)
            if (!name.isEmpty() && !seen.contains(name)) {
                seen.insert(name);
                unique.append(name);
            }
    return unique;
}

QString KeyNameWarnings(const TBindary& binds) {
    // A generated script may hold thousands of wrong names: the first ones
    // tell the mistake, the rest are counted.
    constexpr int kShown = 10;
    QString warnings;
    int shown = 0;
    qsizetype more = 0;
    for (int i = 0; i < binds.BindCount(); ++i) {
        const TBindObj* bind = binds.GetBind(i);
        const bool key = bind->Event == QLatin1String("KEY");
        const bool hotkey = bind->Event == QLatin1String("HOTKEY");
        if ((!key || IsKeyName(bind->Argument)) && (!hotkey || bind->Hotkey))
            continue;
        if (shown < kShown) {
            warnings +=
                (key ? KeyNameWarning(bind->Argument) : strings::HotkeyNameNeverMatches(bind->Argument)) + u'\n';
            ++shown;
        } else
            ++more;
    }
    if (more > 0)
        warnings += strings::MoreKeyNamesNeverMatch(more) + u'\n';
    return warnings;
}

bool TimersTick(const TBindary& binds) {
    for (int i = 0; i < binds.BindCount(); ++i) {
        const TBindObj* bind = binds.GetBind(i);
        if (bind->TimerEnabled() && bind->Interval() > 0)
            return true;
    }
    return false;
}

void DispatchKeystroke(TBindary& binds, const KeystrokeMessage& message) {
    if (message.LParam & platform::KeyEvent::kReleasedBit)
        return;
    // The first HOTKEY bind of the combination, by its name as written (the
    // first bind of that name is this one), then the KEY bind of the name.
    const platform::KeyCombination pressed{message.WParam, message.Modifiers};
    for (int i = 0; i < binds.BindCount(); ++i) {
        const TBindObj* bind = binds.GetBind(i);
        if (bind->Hotkey && *bind->Hotkey == pressed) {
            binds.DispatchEvent(QStringLiteral("HOTKEY"), QString(bind->Argument));
            break;
        }
    }
    // The empty name is dispatched too: it runs a KEY bind without argument.
    binds.DispatchEvent(QStringLiteral("KEY"), KeyName(message.WParam, message.Modifiers));
}

}  // namespace orvexa
