#pragma once

class QCoreApplication;

namespace orvexa {

class TPythonModule;

// Registers the methods of the module scripts import as "orvex" (the
// seventeen, then TypeText), in their order, each documented by its own
// name and taking its arguments as one tuple. Called from the module's initialisation event, before the
// module is built; keeps the application whose events Sleep processes.
void AddAutomationMethods(TPythonModule& module, QCoreApplication* application);

}  // namespace orvexa
