#include "log/logfiles.h"

#include "filenames.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool isRegular(int fd)
{
    struct stat status
    {
    };
    return ::fstat(fd, &status) == 0 && S_ISREG(status.st_mode);
}

} // namespace

int openWithoutWaiting(const QString &path, int flags, int &error)
{
    const QByteArray name = nativeFileName(path);
    int fd = -1;
    do {
        fd = ::open(name.constData(), flags | O_NONBLOCK | O_CLOEXEC | O_NOCTTY, 0666);
    } while (fd < 0 && errno == EINTR);
    // A FIFO without a reader, opened to be written, says ENXIO.
    error = fd < 0 ? (errno == ENXIO ? ENODEV : errno) : 0;
    if (fd >= 0 && !isRegular(fd)) {
        ::close(fd);
        error = ENODEV;
        return -1;
    }
    if (fd >= 0)
        ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return fd;
}
