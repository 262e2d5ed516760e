#include "app/WindowInstance.h"

#include "app/UserDisplayScope.h"

#include <QLocalServer>
#include <QLocalSocket>

namespace orvexa {
namespace {

constexpr int kAnswerTimeoutMs = 5000;
const QByteArray kShow = QByteArrayLiteral("show\n");
const QByteArray kShown = QByteArrayLiteral("shown\n");

}  // namespace

WindowInstance::WindowInstance(QObject* parent) : QObject(parent) {}

WindowInstance::~WindowInstance() = default;

WindowInstance::Outcome WindowInstance::Claim(bool askToShow, std::function<void()> onShow) {
    const QString folder = UserDisplayFolder();
    if (folder.isEmpty())
        return Outcome::First;
    const QString socketName = folder + QStringLiteral("/window");

    // Two programs started at once take turns: the second finds the first
    // listening. A lock left by a process that died is taken over.
    QLockFile lock(folder + QStringLiteral("/window.lock"));
    lock.setStaleLockTime(0);
    lock.tryLock(kAnswerTimeoutMs);

    QLocalSocket other;
    other.connectToServer(socketName);
    if (other.waitForConnected(kAnswerTimeoutMs)) {
        if (!askToShow)
            return Outcome::OtherIgnored;
        other.write(kShow);
        other.waitForBytesWritten(kAnswerTimeoutMs);
        // Its answer says the window was shown; a program busy past the
        // time runs all the same, and shows its window when it can.
        while (other.bytesAvailable() < kShown.size() && other.waitForReadyRead(kAnswerTimeoutMs)) {
        }
        return Outcome::OtherShown;
    }

    // Nobody listens: a socket left by a program that died goes.
    QLocalServer::removeServer(socketName);
    onShow_ = std::move(onShow);
    server_ = new QLocalServer(this);
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    if (server_->listen(socketName))
        connect(server_, &QLocalServer::newConnection, this, &WindowInstance::Answer);
    return Outcome::First;
}

void WindowInstance::Answer() {
    while (QLocalSocket* socket = server_->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            if (!socket->canReadLine())
                return;
            if (socket->readLine() == kShow) {
                if (onShow_)
                    onShow_();
                socket->write(kShown);
            }
            socket->disconnectFromServer();
        });
    }
}

}  // namespace orvexa
