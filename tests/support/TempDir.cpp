#include "tests/support/TempDir.h"

#include "core/ScriptText.h"

#include <QFile>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>

#include <stdexcept>

namespace orvexa::test {

WorkingDir::WorkingDir() : previous_(QDir::currentPath()) {
    if (!dir_.isValid() || !QDir::setCurrent(dir_.path()))
        throw std::runtime_error("cannot make a temporary working directory");
}

WorkingDir::~WorkingDir() {
    if (socket_ >= 0)
        ::close(socket_);
    QDir::setCurrent(previous_);
}

void WorkingDir::MakeUnreadable(const QString& name) const {
    QFile file(dir_.filePath(name));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || !file.resize(kScriptSizeLimit + 1))
        throw std::runtime_error("cannot make an unreadable file");
}

void WorkingDir::MakeFifo(const QString& name) const {
    if (::mkfifo(QFile::encodeName(dir_.filePath(name)).constData(), 0644) != 0)
        throw std::runtime_error("cannot make a FIFO");
}

void WorkingDir::MakeLink(const QString& name, const QString& target) const {
    if (!QFile::link(target, dir_.filePath(name)))
        throw std::runtime_error("cannot make a link");
}

void WorkingDir::MakeSocket(const QString& name) {
    const QByteArray path = QFile::encodeName(dir_.filePath(name));
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.size() >= static_cast<qsizetype>(sizeof address.sun_path))
        throw std::runtime_error("socket path too long");
    std::memcpy(address.sun_path, path.constData(), static_cast<size_t>(path.size()));
    if (socket_ >= 0)
        ::close(socket_);
    socket_ = ::socket(AF_UNIX, SOCK_STREAM, 0);
    if (socket_ < 0 || ::bind(socket_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0)
        throw std::runtime_error("cannot make a socket");
}

void WorkingDir::Write(const QString& name, const QByteArray& bytes) const {
    QFile file(dir_.filePath(name));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        throw std::runtime_error("cannot write test file");
}

}  // namespace orvexa::test
