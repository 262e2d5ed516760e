#pragma once

#include <QByteArray>
#include <QDir>
#include <QString>
#include <QTemporaryDir>

namespace orvexa::test {

// A temporary directory that is the working directory while it lives.
class WorkingDir {
public:
    WorkingDir();
    ~WorkingDir();
    WorkingDir(const WorkingDir&) = delete;
    WorkingDir& operator=(const WorkingDir&) = delete;

    QString Path() const { return dir_.path(); }
    // Writes a file (bytes as given) relative to the directory.
    void Write(const QString& name, const QByteArray& bytes) const;
    // Makes an entry that exists, is no directory, and cannot be opened for
    // reading even by root: a bound local socket.
    void MakeUnreadable(const QString& name);

private:
    int socket_ = -1;

    QString previous_;
    QTemporaryDir dir_;
};

}  // namespace orvexa::test
