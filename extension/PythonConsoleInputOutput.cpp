#include "extension/PythonConsoleInputOutput.h"

#include "core/Quit.h"

#include <cerrno>

#include <fcntl.h>
#include <poll.h>

namespace orvexa {
namespace {

constexpr qsizetype kReadChunk = 4096;

void WriteAll(int fd, QByteArrayView bytes) {
    while (!bytes.isEmpty()) {
        const ssize_t n = write(fd, bytes.data(), static_cast<size_t>(bytes.size()));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return;  // a closed or broken output takes nothing more
        bytes = bytes.sliced(n);
    }
}

}  // namespace

TPythonConsoleInputOutput::TPythonConsoleInputOutput(QObject* owner, int input, int output)
    : TPythonInputOutput(owner), input_(input), output_(output) {
    if (pipe2(wake_, O_CLOEXEC | O_NONBLOCK) != 0) {
        wake_[0] = wake_[1] = -1;
        return;
    }
    const int wakeEnd = wake_[1];
    quitListener_ = quit::AddListener([wakeEnd] {
        const char byte = 1;
        [[maybe_unused]] const ssize_t n = write(wakeEnd, &byte, 1);
    });
}

TPythonConsoleInputOutput::~TPythonConsoleInputOutput() {
    if (quitListener_)
        quit::RemoveListener(quitListener_);
    for (const int fd : wake_)
        if (fd >= 0)
            close(fd);
}

void TPythonConsoleInputOutput::SendData(const QString& line) {
    if (OnSendData) {
        TPythonInputOutput::SendData(line);
        return;
    }
    WriteAll(output_, (line + u'\n').toUtf8());
}

QString TPythonConsoleInputOutput::ReceiveData() {
    if (OnReceiveData)
        return TPythonInputOutput::ReceiveData();
    qsizetype end = buffered_.indexOf('\n');
    while (end < 0 && !ended_ && ReadMore())
        end = buffered_.indexOf('\n');
    if (end < 0 && !ended_)
        return QString();  // the program is closing: nothing is taken
    // A last line without its line end is a line too.
    const qsizetype length = end >= 0 ? end + 1 : buffered_.size();
    QString line = QString::fromUtf8(buffered_.left(length));
    buffered_.remove(0, length);
    return line;
}

bool TPythonConsoleInputOutput::ReadMore() {
    pollfd fds[2] = {{input_, POLLIN, 0}, {wake_[0], POLLIN, 0}};
    const nfds_t count = wake_[0] >= 0 ? 2 : 1;
    for (;;) {
        if (quit::Requested())
            return false;
        if (poll(fds, count, -1) < 0) {
            if (errno == EINTR)
                continue;
            ended_ = true;
            return false;
        }
        if (count == 2 && fds[1].revents != 0)
            return false;
        char chunk[kReadChunk];
        const ssize_t n = read(input_, chunk, sizeof chunk);
        if (n < 0 && (errno == EINTR || errno == EAGAIN))
            continue;
        if (n <= 0) {
            ended_ = true;
            return false;
        }
        buffered_.append(chunk, n);
        return true;
    }
}

}  // namespace orvexa
