#include "app/ScriptInterpreter.h"

#include "automation/py.h"
#include "engine/PythonEngine.h"
#include "extension/PythonModule.h"
#include "platform/Services.h"

namespace orvexa {

void SetUpEngine(TPythonEngine& engine, const platform::Services& services) {
    engine.setObjectName(QStringLiteral("PythonEngine1"));
    engine.Runtime().DllName = QStringLiteral("libpython3.11.so.1.0");
    engine.Runtime().APIVersion = 1007;
    engine.Runtime().RegVersion = QStringLiteral("1.5");
    engine.SetInitThreads(false);
    engine.SetUseLastKnownVersion(true);
    engine.UseWindowsConsole = false;
    engine.Runtime().Dialogs = services.dialogs;
    engine.Registry = services.keyStore;
}

void SetUpAutomationModule(TPythonModule& module, TPythonEngine& engine) {
    module.setObjectName(QStringLiteral("PythonModule1"));
    module.SetModuleName(OrvexModuleName());
    module.SetEngine(&engine);
}

}  // namespace orvexa
