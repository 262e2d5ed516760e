#include "app/ArmedNames.h"

#include "app/UserDisplayScope.h"
#include "core/Strings.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSaveFile>

#include <cerrno>
#include <csignal>

namespace orvexa {
namespace {

const QString kSuffix = QStringLiteral(".armed");

bool ProcessLives(qint64 pid) { return pid > 0 && (::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM); }

}  // namespace

ArmedNames::ArmedNames(std::function<void(const QString&)> tell, QObject* parent)
    : QObject(parent), tell_(std::move(tell)), folder_(UserDisplayFolder()) {
    if (folder_.isEmpty())
        return;
    file_ = folder_ + u'/' + QString::number(QCoreApplication::applicationPid()) + kSuffix;
    watcher_.addPath(folder_);
    connect(&watcher_, &QFileSystemWatcher::directoryChanged, this, &ArmedNames::Compare);
}

ArmedNames::~ArmedNames() {
    if (!file_.isEmpty())
        QFile::remove(file_);
}

void ArmedNames::Set(const QString& who, const QStringList& names) {
    who_ = who;
    names_ = names;
    if (file_.isEmpty())
        return;
    if (names.isEmpty()) {
        QFile::remove(file_);
        return;
    }
    QSaveFile file(file_);
    if (!file.open(QIODevice::WriteOnly))
        return;
    file.write((QStringList{who_} + names).join(u'\n').toUtf8() + '\n');
    file.commit();
    Compare();
}

void ArmedNames::Compare() {
    if (names_.isEmpty())
        return;
    const QDir folder(folder_);
    const qint64 self = QCoreApplication::applicationPid();
    for (const QString& entry : folder.entryList({QStringLiteral("*") + kSuffix}, QDir::Files)) {
        bool isNumber = false;
        const qint64 pid = entry.chopped(kSuffix.size()).toLongLong(&isNumber);
        if (!isNumber || pid == self)
            continue;
        if (!ProcessLives(pid)) {
            // Left by a process that ended without tidying up.
            QFile::remove(folder.filePath(entry));
            continue;
        }
        QFile file(folder.filePath(entry));
        if (!file.open(QIODevice::ReadOnly))
            continue;
        QStringList lines = QString::fromUtf8(file.readAll()).split(u'\n', Qt::SkipEmptyParts);
        if (lines.isEmpty())
            continue;
        const QString otherWho = lines.takeFirst();
        for (const QString& name : lines) {
            const QString pair = QString::number(pid) + u' ' + name;
            if (!names_.contains(name) || told_.contains(pair))
                continue;
            told_.insert(pair);
            tell_(strings::NameArmedTwice(name, pid, otherWho));
        }
    }
}

}  // namespace orvexa
