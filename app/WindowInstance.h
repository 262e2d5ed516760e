#pragma once

#include <QLockFile>
#include <QObject>

#include <functional>
#include <memory>

class QLocalServer;

namespace orvexa {

// The one main window of a user on a display. The first window program
// listens on a local socket in the user's runtime folder; a later one finds
// it there, asks it to show its window and ends.
class WindowInstance : public QObject {
    Q_OBJECT
public:
    enum class Outcome {
        First,         // no window program runs: this one is it, and listens
        OtherShown,    // one runs and was asked to show its window
        OtherIgnored,  // one runs (asked nothing: a hidden start)
    };

    explicit WindowInstance(QObject* parent = nullptr);
    ~WindowInstance() override;

    // Finds out whether another window program runs; asks it to show its
    // window when `askToShow`. With First, `onShow` is called whenever a
    // later start asks. When the runtime folder cannot be used, every start
    // is First.
    Outcome Claim(bool askToShow, std::function<void()> onShow);

private:
    void Answer();

    std::function<void()> onShow_;
    QLocalServer* server_ = nullptr;
};

}  // namespace orvexa
