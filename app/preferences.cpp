#include "preferences.h"

#include <QDir>
#include <QFile>
#include <QtEndian>

#include <array>
#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using PrefBytes = std::array<std::uint8_t, prefRecordSize>;

constexpr int maxObjectsOffset = 28;
constexpr int maxObjectsCopyOffset = 32;
constexpr int reserved36Offset = 36;
constexpr int showLinksOffset = 152;

PrefBytes encode(const PreferencesRecord &prefs)
{
    PrefBytes bytes{};
    std::memcpy(bytes.data(), prefs.reserved0, sizeof prefs.reserved0);
    qToLittleEndian(prefs.maxObjects, bytes.data() + maxObjectsOffset);
    qToLittleEndian(prefs.maxObjectsCopy, bytes.data() + maxObjectsCopyOffset);
    std::memcpy(bytes.data() + reserved36Offset, prefs.reserved36, sizeof prefs.reserved36);
    qToLittleEndian(prefs.showLinks, bytes.data() + showLinksOffset);
    return bytes;
}

PreferencesRecord decode(const PrefBytes &bytes)
{
    PreferencesRecord prefs{};
    std::memcpy(prefs.reserved0, bytes.data(), sizeof prefs.reserved0);
    prefs.maxObjects = qFromLittleEndian<std::int32_t>(bytes.data() + maxObjectsOffset);
    prefs.maxObjectsCopy = qFromLittleEndian<std::int32_t>(bytes.data() + maxObjectsCopyOffset);
    std::memcpy(prefs.reserved36, bytes.data() + reserved36Offset, sizeof prefs.reserved36);
    prefs.showLinks = qFromLittleEndian<std::int32_t>(bytes.data() + showLinksOffset);
    return prefs;
}

void reportSystemError(const Feedback &feedback, int error)
{
    feedback.tell(QString::fromLocal8Bit(std::strerror(error)).left(100), QStringLiteral("Error"));
}

// The temporary directory may be shared with other users: never follow a
// link planted at the path, never block on a FIFO, and trust only a regular
// file of our own.
int openOwnRegularFile(const QByteArray &name, int flags)
{
    const int fd = ::open(name.constData(), flags | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0600);
    if (fd < 0)
        return -1;
    struct stat info;
    int error = 0;
    if (::fstat(fd, &info) != 0)
        error = errno;
    else if (S_ISDIR(info.st_mode))
        error = EISDIR;
    else if (!S_ISREG(info.st_mode) || info.st_uid != ::geteuid())
        error = EACCES;
    if (error != 0) {
        ::close(fd);
        errno = error;
        return -1;
    }
    return fd;
}

// Reads until `size` bytes or the end of the file; the count read, or -1.
ssize_t readFully(int fd, std::uint8_t *data, std::size_t size)
{
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n = ::read(fd, data + done, size - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return -1;
        if (n == 0)
            break;
        done += static_cast<std::size_t>(n);
    }
    return static_cast<ssize_t>(done);
}

bool writeFully(int fd, const std::uint8_t *data, std::size_t size)
{
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n = ::write(fd, data + done, size - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            if (n == 0)
                errno = EIO;
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

enum class ReadOutcome
{
    Read,
    Created,
    Failed
};

struct ReadResult
{
    ReadOutcome outcome;
    int error;
};

// Reads the record without reporting, so the start-up cycle can tell a
// missing file from one that cannot be had at all.
ReadResult readRecord(PreferencesRecord &prefs, const QString &path)
{
    const QByteArray name = QFile::encodeName(path);
    bool created = false;
    int fd = openOwnRegularFile(name, O_RDONLY);
    if (fd < 0) {
        if (errno != ENOENT)
            return {ReadOutcome::Failed, errno};
        fd = openOwnRegularFile(name, O_RDONLY | O_CREAT | O_EXCL);
        if (fd < 0)
            return {ReadOutcome::Failed, errno};
        created = true;
    }
    // Bytes the file does not have keep their values.
    PrefBytes bytes = encode(prefs);
    const ssize_t count = readFully(fd, bytes.data(), bytes.size());
    const int error = errno;
    ::close(fd);
    if (count < 0)
        return {ReadOutcome::Failed, error};
    prefs = decode(bytes);
    return {created ? ReadOutcome::Created : ReadOutcome::Read, 0};
}

void setDefaultCapacity(PreferencesRecord &prefs)
{
    prefs.maxObjects = defaultObjectCapacity;
    prefs.maxObjectsCopy = defaultObjectCapacity;
}

} // namespace

QString preferencesPath()
{
    const QString directory = QDir::tempPath();
    if (directory.isEmpty())
        return QString();
    return directory + QStringLiteral("/pgtpc.ini");
}

std::int16_t readPreferences(PreferencesRecord &prefs, const QString &path,
                             const Feedback &feedback)
{
    const ReadResult result = readRecord(prefs, path);
    if (result.outcome == ReadOutcome::Failed)
        reportSystemError(feedback, result.error);
    return result.outcome == ReadOutcome::Read ? 0 : -1;
}

int writePreferences(const PreferencesRecord &prefs, const QString &path, const Feedback &feedback)
{
    const QByteArray name = QFile::encodeName(path);
    int fd = openOwnRegularFile(name, O_WRONLY);
    if (fd < 0 && errno == ENOENT)
        fd = openOwnRegularFile(name, O_WRONLY | O_CREAT | O_EXCL);
    if (fd < 0) {
        reportSystemError(feedback, errno);
        return -1;
    }
    // Not truncated: a longer file keeps its tail.
    const PrefBytes bytes = encode(prefs);
    const bool written = writeFully(fd, bytes.data(), bytes.size());
    int error = errno;
    const bool closed = ::close(fd) == 0;
    if (written && !closed)
        error = errno;
    if (!written || !closed) {
        reportSystemError(feedback, error);
        return -1;
    }
    return 0;
}

int loadStartupPreferences(PreferencesRecord &prefs, const QString &path, const Feedback &feedback)
{
    ReadResult result = readRecord(prefs, path);
    if (result.outcome == ReadOutcome::Failed) {
        reportSystemError(feedback, result.error);
        setDefaultCapacity(prefs);
        return defaultObjectCapacity;
    }
    if (result.outcome == ReadOutcome::Created) {
        feedback.tell(QStringLiteral("Creating preferences file"), QStringLiteral("File"));
        setDefaultCapacity(prefs);
        if (writePreferences(prefs, path, feedback) != 0 ||
            readPreferences(prefs, path, feedback) != 0) {
            setDefaultCapacity(prefs);
            return defaultObjectCapacity;
        }
    }
    const std::int32_t stored = prefs.maxObjects;
    return stored >= 0 && stored <= maxObjectCapacity ? stored : defaultObjectCapacity;
}
