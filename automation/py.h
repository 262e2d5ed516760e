#pragma once

#include "core/MethodDoc.h"

#include <QString>

namespace orvexa {

class ProgramContext;
class TPythonModule;

// Registers the methods of the module scripts import as "orvex" (the
// seventeen, then TypeText, PixelSearch and ImageSearch), in their order, each documented by its own
// name and taking its arguments as one tuple. Each method is bound to
// `context` (the desktop, the bind globals, the player, the application
// whose events Sleep handles), which must outlive the module, and to the
// runtime of the module's engine. Called from the module's initialisation
// event, before the module is built.
void AddAutomationMethods(TPythonModule& module, ProgramContext& context);

// The name scripts import the module by.
inline QString OrvexModuleName() { return QStringLiteral("orvex"); }

// The methods as AddAutomationMethods registers them, in the same order,
// with their argument lists and one line of help each: what the editor
// offers after "orvex." and what the help page's table of the module
// begins each method's row with.
MethodDocs OrvexMethodDocs();

}  // namespace orvexa
