#include "app/WindowInstance.h"

#include "app/UserDisplayScope.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QSocketNotifier>
#include <QThread>

#include <cerrno>
#include <cstring>
#include <optional>
#include <string_view>

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace orvexa {
namespace {

constexpr int kAnswerTimeoutMs = 5000;
constexpr int kTurnRetryMs = 10;
constexpr std::string_view kShow = "show\n";
constexpr std::string_view kShown = "shown\n";

// The turn of one start among others begun at the same moment: the kernel's
// lock on a file of the folder, held until the claim ends or the process
// does. Nothing is written to the file, nor synced to a disk. A start that
// does not get its turn in time goes on all the same.
class Turn {
public:
    explicit Turn(const QString& path)
        : fd_(::open(QFile::encodeName(path).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600)) {
        if (fd_ < 0)
            return;
        const QDeadlineTimer deadline(kAnswerTimeoutMs);
        while (::flock(fd_, LOCK_EX | LOCK_NB) != 0 && (errno == EWOULDBLOCK || errno == EINTR) &&
               !deadline.hasExpired())
            QThread::msleep(kTurnRetryMs);
    }
    ~Turn() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    Turn(const Turn&) = delete;
    Turn& operator=(const Turn&) = delete;

private:
    int fd_;
};

std::optional<sockaddr_un> AddressOf(const QByteArray& path) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.size() >= static_cast<qsizetype>(sizeof(address.sun_path)))
        return std::nullopt;
    std::memcpy(address.sun_path, path.constData(), static_cast<std::size_t>(path.size()));
    return address;
}

int NewSocket(int flags) { return ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | flags, 0); }

// A connection to the program listening at `address`; -1 when none listens.
int ConnectTo(const sockaddr_un& address) {
    const int fd = NewSocket(0);
    if (fd < 0)
        return -1;
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

bool Send(int fd, std::string_view text) {
    while (!text.empty()) {
        const ssize_t sent = ::send(fd, text.data(), text.size(), MSG_NOSIGNAL);
        if (sent < 0 && errno == EINTR)
            continue;
        if (sent <= 0)
            return false;
        text.remove_prefix(static_cast<std::size_t>(sent));
    }
    return true;
}

// Waits for the answer to a request, until the other side answered, closed
// or took too long.
void AwaitAnswer(int fd) {
    const QDeadlineTimer deadline(kAnswerTimeoutMs);
    std::string received;
    while (received.size() < kShown.size() && !deadline.hasExpired()) {
        pollfd readable{fd, POLLIN, 0};
        const int ready = ::poll(&readable, 1, static_cast<int>(deadline.remainingTime()));
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready <= 0)
            return;
        char buffer[64];
        const ssize_t got = ::recv(fd, buffer, sizeof(buffer), 0);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return;
        received.append(buffer, static_cast<std::size_t>(got));
    }
}

}  // namespace

WindowInstance::WindowInstance(QObject* parent) : QObject(parent) {}

WindowInstance::~WindowInstance() {
    while (!callers_.empty())
        Drop(callers_.begin()->first);
    if (listening_ >= 0) {
        ::close(listening_);
        ::unlink(path_.constData());
    }
}

WindowInstance::Outcome WindowInstance::Claim(bool askToShow, std::function<void()> onShow) {
    const QString folder = UserDisplayFolder();
    if (folder.isEmpty())
        return Outcome::First;
    const QByteArray path = QFile::encodeName(folder + QStringLiteral("/window"));
    const std::optional<sockaddr_un> address = AddressOf(path);
    if (!address)
        return Outcome::First;

    // Two programs started at once take turns: the second finds the first
    // listening. (Not "window.lock", which earlier releases create and
    // remove as a lock of their own, and would wait for if it stayed.)
    const Turn turn(folder + QStringLiteral("/window.turn"));

    if (const int other = ConnectTo(*address); other >= 0) {
        if (askToShow && Send(other, kShow)) {
            // Its answer says the window was shown; a program busy past the
            // time runs all the same, and shows its window when it can.
            AwaitAnswer(other);
        }
        ::close(other);
        return askToShow ? Outcome::OtherShown : Outcome::OtherIgnored;
    }

    // Nobody listens: a socket left by a program that died goes.
    onShow_ = std::move(onShow);
    Listen(path, *address);
    return Outcome::First;
}

void WindowInstance::Listen(const QByteArray& path, const sockaddr_un& address) {
    ::unlink(path.constData());
    const int fd = NewSocket(SOCK_NONBLOCK);
    if (fd < 0)
        return;
    if (::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) != 0 ||
        ::chmod(path.constData(), S_IRUSR | S_IWUSR) != 0 || ::listen(fd, SOMAXCONN) != 0) {
        ::close(fd);
        return;
    }
    listening_ = fd;
    path_ = path;
    accepting_ = new QSocketNotifier(fd, QSocketNotifier::Read, this);
    connect(accepting_, &QSocketNotifier::activated, this, &WindowInstance::Accept);
}

void WindowInstance::Accept() {
    for (;;) {
        const int fd = ::accept4(listening_, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
        if (fd < 0) {
            if (errno == EINTR)
                continue;
            return;  // none waiting any more
        }
        Caller& caller = callers_[fd];
        caller.fd = fd;
        caller.notifier = new QSocketNotifier(fd, QSocketNotifier::Read, this);
        connect(caller.notifier, &QSocketNotifier::activated, this, [this, fd] { Read(fd); });
    }
}

void WindowInstance::Read(int fd) {
    const auto found = callers_.find(fd);
    if (found == callers_.end())
        return;
    Caller& caller = found->second;
    for (;;) {
        char buffer[64];
        const ssize_t got = ::recv(fd, buffer, sizeof(buffer), 0);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
            break;
        if (got <= 0) {
            Drop(fd);  // closed before asking
            return;
        }
        caller.received.append(buffer, got);
    }
    const qsizetype end = caller.received.indexOf('\n');
    if (end < 0)
        return;  // the line is not whole yet
    if (std::string_view(caller.received.constData(), static_cast<std::size_t>(end + 1)) == kShow) {
        if (onShow_)
            onShow_();
        Send(fd, kShown);
    }
    Drop(fd);
}

void WindowInstance::Drop(int fd) {
    const auto found = callers_.find(fd);
    if (found == callers_.end())
        return;
    // Its notifier may be the one whose signal is being handled.
    found->second.notifier->setEnabled(false);
    found->second.notifier->deleteLater();
    ::close(fd);
    callers_.erase(found);
}

}  // namespace orvexa
