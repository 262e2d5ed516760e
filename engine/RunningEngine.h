#pragma once

namespace orvexa {

class TPythonEngine;

// The process-wide record of the engine whose interpreter is up (null when
// there is none). Kept by the engine's Initialize and Finalize.
TPythonEngine*& RunningEngineRecord();

}  // namespace orvexa
