#pragma once

#include <QFileSystemWatcher>
#include <QObject>
#include <QSet>
#include <QStringList>

#include <functional>

namespace orvexa {

// The key names this process has armed, shown to the program's other
// processes of the user on the same display, and theirs to it: two
// processes that arm the same name (a window and a --run, two --run) each
// learn it, once for each other process and name, since one press would
// run the binds of both.
//
// Each process keeps a file of its own in the user's display folder: its
// description on the first line, its armed names below. Each watches the
// folder, so the one that armed first learns of the second as the second
// learns of it.
class ArmedNames : public QObject {
    Q_OBJECT
public:
    // `tell` receives each sentence to show the user.
    explicit ArmedNames(std::function<void(const QString&)> tell, QObject* parent = nullptr);
    ~ArmedNames() override;

    // The names armed now, empty when disarmed; `who` describes this
    // process to the others ("the main window, clock.orx").
    void Set(const QString& who, const QStringList& names);

private:
    void Compare();

    QString who_;
    std::function<void(const QString&)> tell_;
    QString folder_;
    QString file_;
    QStringList names_;
    QFileSystemWatcher watcher_;
    // "pid name" of every pair the user was told of.
    QSet<QString> told_;
};

}  // namespace orvexa
