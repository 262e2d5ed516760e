#pragma once

#include <QObject>
#include <QString>
#include <QTimer>

#include <memory>

namespace orvexa {

namespace platform {
class Notifier;
}

// A script's errors as desktop notifications, for a run that has no window
// and whose terminal nobody reads: the first at once, then at most one in
// kQuietMs, which counts the errors held back meanwhile and gives the last
// of them. A script that fails on every tick so shows a notification every
// few seconds, not a flood.
class ErrorNotices : public QObject {
    Q_OBJECT
public:
    static constexpr int kQuietMs = 5000;

    ErrorNotices(std::shared_ptr<platform::Notifier> notifier, QString script, QObject* parent = nullptr);

    // One error of the script: its exception and text, one line.
    void Report(const QString& error);

private:
    void QuietEnded();

    std::shared_ptr<platform::Notifier> notifier_;
    QString script_;
    QTimer quiet_;
    int held_ = 0;
    QString lastHeld_;
};

}  // namespace orvexa
