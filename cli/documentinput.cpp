#include "documentinput.h"

#include "filenames.h"
#include "outputs/systemerror.h"
#include "stopsignals.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr qsizetype readChunk = 64 * 1024;

bool isStandardInput(const QString &name)
{
    return name == QLatin1String("-");
}

QString tooLarge(const QString &name)
{
    return QStringLiteral("%1: larger than any document (%2 bytes at most)")
        .arg(documentName(name))
        .arg(maxDocumentBytes);
}

QString failed(const QString &name, int error)
{
    return QStringLiteral("%1: %2").arg(documentName(name), systemError(error));
}

// Reads `fd` to its end, refusing more than any document holds.
DocumentInput readAll(int fd, const QString &name)
{
    DocumentInput input;
    input.identity = identityOf(fd);
    struct stat status = {};
    if (::fstat(fd, &status) == 0 && S_ISREG(status.st_mode) && status.st_size > maxDocumentBytes) {
        input.error = tooLarge(name);
        return input;
    }
    QByteArray chunk(readChunk, Qt::Uninitialized);
    for (;;) {
        const ssize_t got = ::read(fd, chunk.data(), static_cast<size_t>(chunk.size()));
        if (got == 0)
            return input;
        if (got < 0 && errno == EINTR && stopSignal() == 0)
            continue;
        if (got < 0) {
            input.error = failed(name, errno);
            return input;
        }
        if (input.bytes.size() + got > maxDocumentBytes) {
            input.error = tooLarge(name);
            return input;
        }
        input.bytes.append(chunk.constData(), got);
    }
}

} // namespace

QString documentName(const QString &name)
{
    return isStandardInput(name) ? QStringLiteral("standard input") : name;
}

DocumentInput readDocumentInput(const QString &name)
{
    if (isStandardInput(name))
        return readAll(STDIN_FILENO, name);
    // Opening a FIFO waits for its writer.
    const int fd = ::open(nativeFileName(name).constData(), O_RDONLY | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        DocumentInput input;
        input.error = failed(name, errno);
        return input;
    }
    DocumentInput input = readAll(fd, name);
    ::close(fd);
    return input;
}

std::optional<Document> documentToPrint(const QByteArray &bytes, const QString &name,
                                        const std::function<void(const QString &)> &tell)
{
    const LoadResult loaded = readDocument(bytes, maxObjectCapacity);
    if (loaded.storedObjects > maxObjectCapacity) {
        tell(QStringLiteral("%1 holds %2 objects; the program allows %3 at most")
                 .arg(name)
                 .arg(loaded.storedObjects)
                 .arg(maxObjectCapacity));
        return std::nullopt;
    }
    for (const FileMessage &message : loaded.messages)
        tell(QStringLiteral("%1: %2").arg(name, message.detail));
    if (!loaded.messages.isEmpty())
        return std::nullopt;
    return loaded.document;
}
