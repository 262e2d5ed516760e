#include "app/QuitSignals.h"

#include <cerrno>
#include <csignal>

#include <fcntl.h>
#include <unistd.h>

namespace orvexa {
namespace {

constexpr int kSignals[] = {SIGTERM, SIGINT, SIGHUP};
// Written by the destructor: the watcher ends.
constexpr unsigned char kStop = 0;

// The write end of the pipe, for the handler. One QuitSignals at a time.
volatile std::sig_atomic_t gWriteEnd = -1;

void NoteSignal(int signal) {
    const int saved = errno;
    const auto byte = static_cast<unsigned char>(signal);
    if (gWriteEnd >= 0) {
        [[maybe_unused]] const ssize_t n = write(gWriteEnd, &byte, 1);
    }
    errno = saved;
}

}  // namespace

QuitSignals::QuitSignals(std::function<void(int)> onSignal) : onSignal_(std::move(onSignal)) {
    if (pipe2(pipe_, O_CLOEXEC) != 0)
        return;
    gWriteEnd = pipe_[1];
    watcher_ = std::thread([this] { Watch(); });
    struct sigaction action {};
    action.sa_handler = &NoteSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int signal : kSignals)
        sigaction(signal, &action, nullptr);
}

QuitSignals::~QuitSignals() {
    struct sigaction action {};
    action.sa_handler = SIG_DFL;
    sigemptyset(&action.sa_mask);
    for (const int signal : kSignals)
        sigaction(signal, &action, nullptr);
    if (watcher_.joinable()) {
        [[maybe_unused]] const ssize_t n = write(pipe_[1], &kStop, 1);
        watcher_.join();
    }
    gWriteEnd = -1;
    for (const int fd : pipe_)
        if (fd >= 0)
            close(fd);
}

void QuitSignals::Watch() {
    for (;;) {
        unsigned char byte = kStop;
        const ssize_t n = read(pipe_[0], &byte, 1);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0 || byte == kStop)
            return;
        onSignal_(byte);
    }
}

}  // namespace orvexa
