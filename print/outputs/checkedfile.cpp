#include "outputs/checkedfile.h"

#include <cerrno>
#include <unistd.h>

namespace {

// Large enough that a run of thousands of pages makes few system calls.
constexpr qsizetype bufferSize = 64 * 1024;

} // namespace

CheckedFile::CheckedFile(int fd) : m_fd(fd)
{
    m_buffer.reserve(bufferSize);
    QIODevice::open(QIODevice::WriteOnly | QIODevice::Unbuffered);
}

bool CheckedFile::flush()
{
    return writeBuffer() && m_failure == 0;
}

void CheckedFile::close()
{
    writeBuffer();
    QIODevice::close();
}

bool CheckedFile::seek(qint64 pos)
{
    if (pos == QIODevice::pos())
        return true;
    if (m_failure == 0)
        m_failure = ESPIPE;
    return false;
}

bool CheckedFile::finish()
{
    if (!writeBuffer())
        return false;
    // Pipes and devices such as /dev/null have nothing to sync.
    if (::fsync(m_fd) != 0 && errno != EINVAL && errno != EROFS && errno != ENOTSUP)
        m_failure = errno;
    return m_failure == 0;
}

void CheckedFile::abandon()
{
    m_buffer.resize(0);
    if (m_failure == 0)
        m_failure = ECANCELED;
}

qint64 CheckedFile::readData(char *, qint64)
{
    return -1;
}

qint64 CheckedFile::writeData(const char *data, qint64 size)
{
    if (m_failure != 0)
        return -1;
    if (m_buffer.size() + size > bufferSize && !writeBuffer())
        return -1;
    if (size >= bufferSize)
        return writeAll(data, size) ? size : -1;
    m_buffer.append(data, size);
    return size;
}

// A short write is retried, so that a full disk ends in the system's own
// error. A signal that interrupts a write to a pipe fails it too: the signal
// asked the run to stop.
bool CheckedFile::writeAll(const char *data, qint64 size)
{
    while (size > 0 && m_failure == 0) {
        const ssize_t written = ::write(m_fd, data, static_cast<size_t>(size));
        if (written < 0) {
            m_failure = errno;
        } else if (written == 0) {
            m_failure = EIO;
        } else {
            data += written;
            size -= written;
        }
    }
    return m_failure == 0;
}

bool CheckedFile::writeBuffer()
{
    const bool written = writeAll(m_buffer.constData(), m_buffer.size());
    m_buffer.resize(0);
    return written;
}
