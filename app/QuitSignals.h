#pragma once

#include <functional>
#include <thread>

namespace orvexa {

// SIGTERM, SIGINT and SIGHUP ask the program to close: the handler only
// notes the signal, and a thread of its own hands it to `onSignal`, where
// anything may be done (the handler itself could do almost nothing safely).
// `onSignal` runs on that thread, not on the GUI thread. While the object
// lives the signals no longer end the process at once; destroying it gives
// them back their default action.
class QuitSignals {
public:
    explicit QuitSignals(std::function<void(int signal)> onSignal);
    QuitSignals(const QuitSignals&) = delete;
    QuitSignals& operator=(const QuitSignals&) = delete;
    ~QuitSignals();

private:
    void Watch();

    std::function<void(int)> onSignal_;
    int pipe_[2] = {-1, -1};
    std::thread watcher_;
};

}  // namespace orvexa
