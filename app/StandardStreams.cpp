#include "app/StandardStreams.h"

#include <cerrno>

#include <fcntl.h>
#include <unistd.h>

namespace orvexa {

void EnsureStandardStreamsOpen() {
    for (int fd = STDIN_FILENO; fd <= STDERR_FILENO; ++fd) {
        if (fcntl(fd, F_GETFD) != -1 || errno != EBADF)
            continue;
        // The lowest free number is taken: the one just found closed.
        const int opened = open("/dev/null", O_RDWR);
        if (opened >= 0 && opened != fd) {
            dup2(opened, fd);
            close(opened);
        }
    }
}

}  // namespace orvexa
