#pragma once

namespace orvexa {

// What the script editor needs of the main window.
class ScriptHost {
public:
    ScriptHost() = default;
    ScriptHost(const ScriptHost&) = delete;
    ScriptHost& operator=(const ScriptHost&) = delete;
    virtual ~ScriptHost() = default;

    // Reloads the catalogue and reselects the editor's EditFileName.
    virtual void ExitScriptEdit() = 0;
    // Arms (clears the bind globals, runs MAIN, starts the timers) or disarms.
    virtual void SetRunning(bool value) = 0;
};

}  // namespace orvexa
