#include "bench/support/BenchInterpreter.h"

#include "automation/ProgramContext.h"
#include "automation/py.h"
#include "engine/PythonEngine.h"
#include "extension/PythonModule.h"

#include <QObject>

#include <cstdio>

namespace orvexa {

TPythonEngine* StartOrvexInterpreter(QObject& owner, ProgramContext& context) {
    auto* module = new TPythonModule(&owner);
    module->SetModuleName(QStringLiteral("orvex"));
    module->OnInitialization = [module, &context](QObject*) { AddAutomationMethods(*module, context); };
    auto* engine = new TPythonEngine(&owner);
    engine->Runtime().DllName = QStringLiteral("libpython3.11.so.1.0");
    engine->Runtime().APIVersion = 1007;
    engine->SetUseLastKnownVersion(true);
    engine->Runtime().FatalAbort = false;
    module->SetEngine(engine);
    engine->LayoutLoaded();
    if (!engine->IsInitialized()) {
        std::fprintf(stderr, "no interpreter: the script figures are missing\n");
        return nullptr;
    }
    return engine;
}

}  // namespace orvexa
