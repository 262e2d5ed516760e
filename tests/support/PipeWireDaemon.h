#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <memory>
#include <optional>
#include <vector>

namespace orvexa::test {

// A PipeWire daemon of a test's own, in a runtime directory of its own, with
// no session manager: the test links the nodes itself (Link), as a
// session manager would. Video sources are gstreamer pipelines ending in
// pipewiresink (Debian's gstreamer1.0-pipewire).
class PipeWireDaemon {
public:
    PipeWireDaemon();
    ~PipeWireDaemon();
    PipeWireDaemon(const PipeWireDaemon&) = delete;
    PipeWireDaemon& operator=(const PipeWireDaemon&) = delete;

    // Whether the pipewire binary is installed at all.
    static bool Installed();

    // Starts the daemon and waits for its socket; false with Failure() set.
    bool Start(int timeoutMs = 10000);
    QString RuntimeDir() const { return runtime_.path(); }
    // The daemon's socket.
    QString Socket() const;
    // A new connection to the daemon, as a screen-cast portal hands one out
    // (the caller owns the descriptor); -1 on failure.
    int Connect() const;
    QString Failure() const { return failure_; }

    // Starts `gst-launch-1.0 videotestsrc <source> ! <caps> ! pipewiresink`
    // with the sink's node named `name`, and waits until the node is there.
    bool StartVideoSource(const QString& name, const QStringList& source, const QString& caps);
    // The id of the node named `name`, once it exists.
    std::optional<unsigned> NodeId(const QString& name, int timeoutMs = 10000) const;
    // Whether the node named `name` is gone, or goes within the time. The
    // daemon removes a client's node some time after the client ended; Link
    // by name would take a node still there for the next client's.
    bool NodeGone(const QString& name, int timeoutMs = 10000) const;
    // Links the output of the node `from` to the input of `to` once both
    // are there (pw-link).
    bool Link(const QString& from, const QString& to, int timeoutMs = 10000);

private:
    QProcessEnvironment Environment() const;
    // The id of the node named `name` now, if there is one.
    std::optional<unsigned> FindNode(const QString& name) const;
    bool Run(const QString& program, const QStringList& arguments, QByteArray* output = nullptr) const;

    QTemporaryDir runtime_;
    QString failure_;
    QProcess daemon_;
    std::vector<std::unique_ptr<QProcess>> sources_;
};

}  // namespace orvexa::test
