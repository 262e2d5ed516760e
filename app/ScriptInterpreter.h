#pragma once

namespace orvexa {

namespace platform {
struct Services;
}

class TPythonEngine;
class TPythonModule;

// The interpreter as the program runs scripts with it, in the main window
// and from the command line alike: the same library, settings and module.

// The engine's settings: the interpreter library the program was built
// for, the version rows, no console, and the desktop's dialogs (for a
// library that cannot be loaded; none: standard error only) and key store.
void SetUpEngine(TPythonEngine& engine, const platform::Services& services);

// The module scripts import, "orvex", attached to the engine. Its owner adds
// the automation methods in its OnInitialization.
void SetUpAutomationModule(TPythonModule& module, TPythonEngine& engine);

}  // namespace orvexa
