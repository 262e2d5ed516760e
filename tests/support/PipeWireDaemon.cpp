#include "tests/support/PipeWireDaemon.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStandardPaths>
#include <QThread>

#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <csignal>
#include <cstring>

namespace orvexa::test {

namespace {

// What a video graph needs and nothing of sound: the native protocol, the
// nodes that clients make, links, and a driver to pace the graph.
constexpr const char* kConfig = R"(context.properties = {
    core.daemon = true
    core.name = pipewire-0
}
context.spa-libs = {
    support.* = support/libspa-support
}
context.modules = [
    { name = libpipewire-module-protocol-native }
    { name = libpipewire-module-metadata }
    { name = libpipewire-module-spa-node-factory }
    { name = libpipewire-module-client-node }
    { name = libpipewire-module-access }
    { name = libpipewire-module-adapter }
    { name = libpipewire-module-link-factory }
]
context.objects = [
    { factory = spa-node-factory
        args = {
            factory.name = support.node.driver
            node.name = Dummy-Driver
            priority.driver = 20000
        }
    }
]
)";

// The daemon and the sources end with the test's process, even when it
// dies without cleaning up (a crash, a closed pipe).
void EndWithThisProcess(QProcess& process) {
    process.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
}

void Stop(QProcess& process) {
    if (process.state() == QProcess::NotRunning)
        return;
    process.terminate();
    if (!process.waitForFinished(3000)) {
        process.kill();
        process.waitForFinished(3000);
    }
}

}  // namespace

PipeWireDaemon::PipeWireDaemon() = default;

PipeWireDaemon::~PipeWireDaemon() {
    for (auto& source : sources_)
        Stop(*source);
    Stop(daemon_);
}

bool PipeWireDaemon::Installed() { return !QStandardPaths::findExecutable(QStringLiteral("pipewire")).isEmpty(); }

QString PipeWireDaemon::Socket() const { return runtime_.filePath(QStringLiteral("pipewire-0")); }

QProcessEnvironment PipeWireDaemon::Environment() const {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime_.path());
    environment.remove(QStringLiteral("PIPEWIRE_RUNTIME_DIR"));
    environment.remove(QStringLiteral("PIPEWIRE_REMOTE"));
    return environment;
}

bool PipeWireDaemon::Start(int timeoutMs) {
    if (!runtime_.isValid()) {
        failure_ = QStringLiteral("no temporary directory");
        return false;
    }
    QFile::setPermissions(runtime_.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    const QString config = runtime_.filePath(QStringLiteral("orvexa-test.conf"));
    QFile file(config);
    if (!file.open(QIODevice::WriteOnly) || file.write(kConfig) < 0) {
        failure_ = QStringLiteral("cannot write %1").arg(config);
        return false;
    }
    file.close();
    daemon_.setProcessEnvironment(Environment());
    EndWithThisProcess(daemon_);
    daemon_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    daemon_.setStandardOutputFile(QProcess::nullDevice());
    daemon_.start(QStringLiteral("pipewire"), {QStringLiteral("-c"), config});
    if (!daemon_.waitForStarted(timeoutMs)) {
        failure_ = QStringLiteral("pipewire did not start: %1").arg(daemon_.errorString());
        return false;
    }
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < timeoutMs) {
        if (daemon_.state() == QProcess::NotRunning) {
            failure_ = QStringLiteral("pipewire ended with code %1").arg(daemon_.exitCode());
            return false;
        }
        if (QFileInfo::exists(Socket())) {
            const int fd = Connect();
            if (fd >= 0) {
                ::close(fd);
                return true;
            }
        }
        QThread::msleep(20);
    }
    failure_ = QStringLiteral("pipewire's socket did not appear");
    return false;
}

int PipeWireDaemon::Connect() const {
    const QByteArray path = QFile::encodeName(Socket());
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (static_cast<std::size_t>(path.size()) >= sizeof(address.sun_path))
        return -1;
    std::memcpy(address.sun_path, path.constData(), static_cast<std::size_t>(path.size()));
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return -1;
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

bool PipeWireDaemon::Run(const QString& program, const QStringList& arguments, QByteArray* output) const {
    QProcess process;
    process.setProcessEnvironment(Environment());
    process.start(program, arguments);
    if (!process.waitForFinished(10000)) {
        process.kill();
        process.waitForFinished();
        return false;
    }
    if (output)
        *output = process.readAllStandardOutput();
    return process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

bool PipeWireDaemon::StartVideoSource(const QString& name, const QStringList& source, const QString& caps) {
    auto process = std::make_unique<QProcess>();
    process->setProcessEnvironment(Environment());
    EndWithThisProcess(*process);
    process->setStandardOutputFile(QProcess::nullDevice());
    process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    QStringList arguments{QStringLiteral("-q"), QStringLiteral("videotestsrc")};
    arguments << source << QStringLiteral("!") << caps << QStringLiteral("!") << QStringLiteral("pipewiresink")
              << QStringLiteral("stream-properties=p,node.name=%1").arg(name);
    process->start(QStringLiteral("gst-launch-1.0"), arguments);
    if (!process->waitForStarted(10000)) {
        failure_ = QStringLiteral("gst-launch-1.0 did not start: %1").arg(process->errorString());
        return false;
    }
    sources_.push_back(std::move(process));
    if (!NodeId(name)) {
        failure_ = QStringLiteral("the video source's node %1 did not appear").arg(name);
        return false;
    }
    return true;
}

std::optional<unsigned> PipeWireDaemon::FindNode(const QString& name) const {
    QByteArray dump;
    if (!Run(QStringLiteral("pw-dump"), {}, &dump))
        return std::nullopt;
    const QJsonArray objects = QJsonDocument::fromJson(dump).array();
    for (const auto& object : objects) {
        const QJsonObject o = object.toObject();
        if (o.value(u"type").toString() == u"PipeWire:Interface:Node" &&
            o.value(u"info").toObject().value(u"props").toObject().value(u"node.name").toString() == name)
            return static_cast<unsigned>(o.value(u"id").toInt());
    }
    return std::nullopt;
}

std::optional<unsigned> PipeWireDaemon::NodeId(const QString& name, int timeoutMs) const {
    QElapsedTimer clock;
    clock.start();
    do {
        if (const auto id = FindNode(name))
            return id;
        QThread::msleep(50);
    } while (clock.elapsed() < timeoutMs);
    return std::nullopt;
}

bool PipeWireDaemon::NodeGone(const QString& name, int timeoutMs) const {
    QElapsedTimer clock;
    clock.start();
    while (FindNode(name)) {
        if (clock.elapsed() >= timeoutMs)
            return false;
        QThread::msleep(50);
    }
    return true;
}

bool PipeWireDaemon::Link(const QString& from, const QString& to, int timeoutMs) {
    QElapsedTimer clock;
    clock.start();
    do {
        QByteArray links;
        // Linked once pw-link lists the link (it may report a failure for
        // ports it links by name all the same).
        Run(QStringLiteral("pw-link"), {from, to});
        if (Run(QStringLiteral("pw-link"), {QStringLiteral("-l")}, &links) &&
            links.contains(QStringLiteral("|-> %1:").arg(to).toUtf8()))
            return true;
        QThread::msleep(50);
    } while (clock.elapsed() < timeoutMs);
    failure_ = QStringLiteral("no link from %1 to %2").arg(from, to);
    return false;
}

}  // namespace orvexa::test
