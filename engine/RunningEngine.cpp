#include "engine/RunningEngine.h"

#include "engine/PythonEngine.h"

namespace orvexa {

TPythonEngine*& RunningEngineRecord() {
    static TPythonEngine* running = nullptr;
    return running;
}

TPythonEngine& GetRunningEngine() {
    TPythonEngine* running = RunningEngineRecord();
    if (!running)
        throw Exception(QStringLiteral("No Python engine was created"));
    if (!running->IsInitialized() && !running->Finalizing())
        throw Exception(QStringLiteral("The Python engine is not properly initialized"));
    return *running;
}

bool IsEngineAvailable() {
    const TPythonEngine* running = RunningEngineRecord();
    return running && (running->IsInitialized() || running->Finalizing());
}

}  // namespace orvexa
