#pragma once

namespace orvexa {

class TPythonEngine;

// The output redirection step: creates the module "pyio" (owned by the
// engine's owner, attached to the engine, initialised at once) and makes
// sys.stdout, sys.stderr and sys.stdin one DebugOutput object whose write
// and readline go to the engine's IO component.
void InstallPyio(TPythonEngine& engine);

// The script that installs DebugOutput, each line ended by LF.
const char* PyioRedirectScript();

}  // namespace orvexa
