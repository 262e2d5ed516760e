#pragma once

namespace orvexa {

class ProgramContext;
class TPythonModule;

// Registers the methods of the module scripts import as "orvex" (the
// seventeen, then TypeText, PixelSearch and ImageSearch), in their order, each documented by its own
// name and taking its arguments as one tuple. Each method is bound to
// `context` (the desktop, the bind globals, the player, the application
// whose events Sleep handles), which must outlive the module. Called from
// the module's initialisation event, before the module is built.
void AddAutomationMethods(TPythonModule& module, ProgramContext& context);

}  // namespace orvexa
