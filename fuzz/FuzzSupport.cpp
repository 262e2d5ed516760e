#include "fuzz/FuzzSupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>

#include <fcntl.h>
#include <unistd.h>

namespace orvexa::fuzz {
namespace {

QTemporaryDir& ScratchFolder() {
    static QTemporaryDir folder(QDir(QStringLiteral("/dev/shm")).exists()
                                    ? QStringLiteral("/dev/shm/orvexa-fuzz-XXXXXX")
                                    : QDir::tempPath() + QStringLiteral("/orvexa-fuzz-XXXXXX"));
    return folder;
}

}  // namespace

void StartApplication(int* argc, char*** argv) {
    // Never destroyed: libFuzzer ends the process with exit(), when Qt's own
    // globals may be gone already.
    static const QCoreApplication* const application = new QCoreApplication(*argc, *argv);
    (void)application;
}

QString InputFile(const char* name, const std::uint8_t* data, std::size_t size) {
    QString path = ScratchFolder().filePath(QString::fromLatin1(name));
    const QByteArray native = QFile::encodeName(path);
    const int fd = ::open(native.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0)
        Fail("cannot write the scratch file");
    std::size_t written = 0;
    while (written < size) {
        const ssize_t n = ::write(fd, data + written, size - written);
        if (n <= 0) {
            ::close(fd);
            Fail("cannot write the scratch file");
        }
        written += static_cast<std::size_t>(n);
    }
    ::close(fd);
    return path;
}

void Fail(const char* what) {
    std::fprintf(stderr, "oracle failed: %s\n", what);
    std::abort();
}

}  // namespace orvexa::fuzz
