#pragma once

#include <memory>

namespace orvexa {

class TPythonEngine;
class TPythonModule;

// The output redirection step, for the engine's OnRedirectOutput: creates
// the module "pyio", attaches it to the engine and initialises it at once,
// and makes sys.stdout, sys.stderr and sys.stdin one DebugOutput object
// whose write and readline go to the engine's IO component. The caller owns
// the module; destroying it detaches it, which stops the interpreter, so
// it goes before the IO component and the engine.
std::unique_ptr<TPythonModule> InstallPyio(TPythonEngine& engine);

// The script that installs DebugOutput, each line ended by LF.
const char* PyioRedirectScript();

}  // namespace orvexa
