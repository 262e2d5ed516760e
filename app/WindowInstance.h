#pragma once

#include <QByteArray>
#include <QObject>

#include <functional>
#include <map>
#include <memory>

class QSocketNotifier;
struct sockaddr_un;

namespace orvexa {

// The one main window of a user on a display. The first window program
// listens on a local socket in the user's runtime folder; a later one finds
// it there, asks it to show its window and ends.
//
// The socket is the system's own (a Unix domain socket watched by the event
// loop), not a network library's: this runs before the main window shows,
// and every start would otherwise load that library and what it loads.
class WindowInstance : public QObject {
    Q_OBJECT
public:
    enum class Outcome {
        First,         // no window program runs: this one is it, and listens
        OtherShown,    // one runs and was asked to show its window
        OtherIgnored,  // one runs (asked nothing: a hidden start)
    };

    explicit WindowInstance(QObject* parent = nullptr);
    // Stops listening; the socket's file goes.
    ~WindowInstance() override;
    WindowInstance(const WindowInstance&) = delete;
    WindowInstance& operator=(const WindowInstance&) = delete;

    // Finds out whether another window program runs; asks it to show its
    // window when `askToShow`. With First, `onShow` is called whenever a
    // later start asks. When the runtime folder cannot be used, every start
    // is First.
    Outcome Claim(bool askToShow, std::function<void()> onShow);

private:
    // A later start connected, until its request has been read.
    struct Caller {
        int fd = -1;
        QByteArray received;
        QSocketNotifier* notifier = nullptr;
    };

    void Listen(const QByteArray& path, const sockaddr_un& address);
    void Accept();
    void Read(int fd);
    void Drop(int fd);

    std::function<void()> onShow_;
    QByteArray path_;
    int listening_ = -1;
    QSocketNotifier* accepting_ = nullptr;
    std::map<int, Caller> callers_;
};

}  // namespace orvexa
