#pragma once

#include "platform/KeyCapture.h"

#include <QStringList>

#include <functional>
#include <memory>
#include <vector>

namespace orvexa {

class TBindary;
class ProgramContext;
struct KeystrokeMessage;

// Arming and disarming a script's bind table, and its KEY events: the same
// for the main window's Run and Stop and for a script run from the command
// line.

// Arms the table: tells the desktop's services that a run starts, clears the
// bind globals, runs the MAIN bind to its end, then starts the timers (not
// when the program began closing meanwhile, nor when the script was
// stopped). The installed key capture, if any, is told the keys of the KEY
// binds and `alsoWanted` (the stop key) first (where the desktop asks the
// user for them, `alsoWanted` only along with KEY binds), and what it says
// of them goes to `tell`, then the KEY binds whose names no key press has
// (KeyNameWarnings). The capture is also told the combinations of the HOTKEY
// binds to take from the focused window, and those another program holds go
// to `tell`; DisarmBinds gives them back. True unless MAIN ended with an error (true without a
// MAIN bind). The table's owner may let it go while MAIN runs (MAIN's waits
// handle events): then no timer is started.
bool ArmBinds(const std::unique_ptr<TBindary>& binds, ProgramContext& context,
              const std::function<void(const QString&)>& tell, const QStringList& alsoWanted = QStringList());

// Stops the timers and tells the key capture that no key is wanted any more.
void DisarmBinds(TBindary& binds);

// The combinations of the table's HOTKEY binds, each once, in table order.
std::vector<platform::KeyCombination> HotkeyCombinations(const TBindary& binds);

// Whether a KEY, HOTKEY or TEXT bind of the table can run: it wants the key
// capture.
bool WantsKeys(const TBindary& binds);

// The key names of the table's KEY binds, each once, in table order.
QStringList KeyBindNames(const TBindary& binds);

// The key names the table arms, as other processes are told of them: those
// of the KEY binds, then the HOTKEY binds' combinations by their KEY name
// (by their HOTKEY name where they have none), then the TEXT binds'
// abbreviations as "TEXT sig", each once.
QStringList ArmedKeyNames(const TBindary& binds);

// names, then those of more that are not among them, each once and in
// their order; empty names left out. Linear in the names' count.
QStringList UniqueNames(const QStringList& names, const QStringList& more = QStringList());

// One line for each KEY or HOTKEY bind whose name no key press has (ten at most, then
// how many more), each ending in a line feed; empty when there is none.
QString KeyNameWarnings(const TBindary& binds);

// A timer of the table is started and ticks (an interval of 0 never does).
bool TimersTick(const TBindary& binds);

// A keystroke of the key capture, while armed: a press runs the KEY bind of
// its name; a release runs nothing.
void DispatchKeystroke(TBindary& binds, const KeystrokeMessage& message);

}  // namespace orvexa
