#pragma once

class QObject;

namespace orvexa {

class ProgramContext;
class TPythonEngine;

// The interpreter with the orvex module over `context`, for measuring calls
// made from a script: owned by `owner`. Nothing (said on standard error)
// when no interpreter could be loaded.
TPythonEngine* StartOrvexInterpreter(QObject& owner, ProgramContext& context);

}  // namespace orvexa
