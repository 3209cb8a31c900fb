#include "outputs/spool.h"

#include "filenames.h"

#include <QDir>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr mode_t newFileBits = 0644;
constexpr int nameAttempts = 100;
constexpr qsizetype copyChunk = 64 * 1024;

// A name in `folder` that is likely free; the caller makes it exclusively.
QByteArray freeName(const QString &folder)
{
    const QString name = QStringLiteral(".paginette-%1.part")
                             .arg(QRandomGenerator::global()->generate(), 8, 16, QLatin1Char('0'));
    return nativeFileName(QDir(folder).filePath(name));
}

} // namespace

Spool::~Spool()
{
    m_file.reset();
    if (m_fd >= 0)
        ::close(m_fd);
    if (!m_name.isEmpty())
        ::unlink(nativeFileName(m_name).constData());
}

int Spool::open(const QString &folder, Kind kind)
{
    const QByteArray path = nativeFileName(folder.isEmpty() ? QStringLiteral(".") : folder);
    if (kind == Kind::Anonymous) {
        const int fd = ::open(path.constData(), O_TMPFILE | O_RDWR | O_CLOEXEC, newFileBits);
        if (fd >= 0)
            return adopt(fd, {});
        if (errno != EOPNOTSUPP && errno != EISDIR)
            return errno;
    }
    for (int attempt = 0; attempt < nameAttempts; ++attempt) {
        const QByteArray name = freeName(folder);
        const int fd = ::open(name.constData(), O_CREAT | O_EXCL | O_RDWR | O_CLOEXEC, newFileBits);
        if (fd >= 0)
            return adopt(fd, fileNameFromNative(name));
        if (errno != EEXIST)
            return errno;
    }
    return EEXIST;
}

int Spool::openElsewhere()
{
    if (open(QDir::tempPath()) == 0)
        return 0;
    const int fd = ::memfd_create("paginette-run", MFD_CLOEXEC);
    return fd >= 0 ? adopt(fd, {}) : errno;
}

int Spool::adopt(int fd, const QString &name)
{
    m_fd = fd;
    m_name = name;
    m_file.emplace(fd);
    return 0;
}

QString Spool::readablePath() const
{
    return m_name.isEmpty() ? QStringLiteral("/proc/self/fd/%1").arg(m_fd) : m_name;
}

int Spool::setPermissions(mode_t bits)
{
    return ::fchmod(m_fd, bits) == 0 ? 0 : errno;
}

int Spool::replace(const QString &target)
{
    const QByteArray to = nativeFileName(target);
    if (!m_name.isEmpty()) {
        if (::rename(nativeFileName(m_name).constData(), to.constData()) != 0)
            return errno;
        m_name.clear();
        return 0;
    }
    // An anonymous file is given a name of its own beside the target first,
    // since a link cannot replace a file and a rename can.
    const QByteArray self = nativeFileName(readablePath());
    for (int attempt = 0; attempt < nameAttempts; ++attempt) {
        const QByteArray temporary = freeName(QFileInfo(target).path());
        if (::linkat(AT_FDCWD, self.constData(), AT_FDCWD, temporary.constData(),
                     AT_SYMLINK_FOLLOW) != 0) {
            if (errno == EEXIST)
                continue;
            return errno;
        }
        if (::rename(temporary.constData(), to.constData()) != 0) {
            const int error = errno;
            ::unlink(temporary.constData());
            return error;
        }
        return 0;
    }
    return EEXIST;
}

int Spool::copyOver(int fd)
{
    struct stat status = {};
    if (::fstat(m_fd, &status) != 0)
        return errno;
    const off_t size = status.st_size;
    if (size > 0 && ::fallocate(fd, 0, 0, size) != 0 && errno != EOPNOTSUPP)
        return errno;
    QByteArray chunk(copyChunk, Qt::Uninitialized);
    for (off_t offset = 0; offset < size;) {
        const ssize_t got = ::pread(m_fd, chunk.data(), static_cast<size_t>(chunk.size()), offset);
        if (got <= 0)
            return got < 0 ? errno : EIO;
        for (ssize_t done = 0; done < got;) {
            const ssize_t written = ::pwrite(fd, chunk.constData() + done,
                                             static_cast<size_t>(got - done), offset + done);
            if (written <= 0)
                return written < 0 ? errno : EIO;
            done += written;
        }
        offset += got;
    }
    if (::ftruncate(fd, size) != 0 || ::fsync(fd) != 0)
        return errno;
    return 0;
}
