#include "app/QuitWatchdog.h"

#include "core/Quit.h"

#include <chrono>
#include <thread>

#include <unistd.h>

namespace orvexa {

void ArmQuitWatchdog(double seconds) {
    quit::AddListener([seconds] {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
        std::thread([deadline] {
            std::this_thread::sleep_until(deadline);
            static const char kMessage[] =
                "Orvexa: script code did not end when the program closed; quitting without it.\n";
            [[maybe_unused]] const ssize_t n = write(STDERR_FILENO, kMessage, sizeof kMessage - 1);
            _exit(0);
        }).detach();
    });
}

}  // namespace orvexa
