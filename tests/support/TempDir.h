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
    // Makes a regular file that cannot be read as a script even by root: one
    // byte past the size limit (sparse, so that it takes no room).
    void MakeUnreadable(const QString& name) const;
    // Entries that are no regular files: a FIFO (opening it for reading
    // would wait for a writer forever), a bound local socket, a link to a
    // device that never ends.
    void MakeFifo(const QString& name) const;
    void MakeSocket(const QString& name);
    void MakeLink(const QString& name, const QString& target) const;

private:
    int socket_ = -1;

    QString previous_;
    QTemporaryDir dir_;
};

}  // namespace orvexa::test
