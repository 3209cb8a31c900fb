#include "outputs/outputtarget.h"

#include "filenames.h"
#include "outputs/systemerror.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <climits>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// As many links as the system itself follows in one path.
constexpr int maxLinks = 40;

OutputTarget refused(OutputTarget target, OutputKind kind, const QString &why)
{
    target.kind = kind;
    target.refusal = QStringLiteral("%1: %2").arg(target.name, why);
    return target;
}

// Where the symbolic link at `path` points, from the folder that holds it.
std::optional<QString> linkTarget(const QString &path)
{
    char text[PATH_MAX];
    const ssize_t size = ::readlink(nativeFileName(path).constData(), text, sizeof text);
    if (size < 0)
        return std::nullopt;
    if (size == ssize_t(sizeof text)) {
        errno = ENAMETOOLONG;
        return std::nullopt;
    }
    const QString target = fileNameFromNative(QByteArray(text, size));
    if (QDir::isAbsolutePath(target))
        return target;
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    return slash < 0 ? target : path.left(slash + 1) + target;
}

// The identity of the file at `path`, links followed.
std::optional<FileIdentity> identityAt(const QString &path)
{
    struct stat status = {};
    if (::stat(nativeFileName(path).constData(), &status) != 0)
        return std::nullopt;
    return FileIdentity{status.st_dev, status.st_ino};
}

} // namespace

std::optional<FileIdentity> identityOf(int fd)
{
    struct stat status = {};
    if (::fstat(fd, &status) != 0)
        return std::nullopt;
    return FileIdentity{status.st_dev, status.st_ino};
}

OutputTarget resolveOutput(const QString &name, std::optional<FileIdentity> document)
{
    const QString isTheDocument =
        QStringLiteral("is the document being printed; nothing was written");
    OutputTarget target;
    target.name = name;
    if (name == QLatin1String("-")) {
        target.name = QStringLiteral("standard output");
        if (document && identityOf(STDOUT_FILENO) == document)
            return refused(target, OutputKind::Document, isTheDocument);
        target.kind = OutputKind::StandardOutput;
        return target;
    }

    QString file = name;
    struct stat status = {};
    for (int links = 0;; ++links) {
        if (::lstat(nativeFileName(file).constData(), &status) != 0) {
            if (errno != ENOENT)
                return refused(target, OutputKind::Refused, systemError(errno));
            // A new file, or the missing end of a chain of links.
            target.kind = OutputKind::NewFile;
            target.file = file;
            return target;
        }
        if (!S_ISLNK(status.st_mode))
            break;
        const std::optional<QString> next = links < maxLinks ? linkTarget(file) : std::nullopt;
        if (!next)
            return refused(target, OutputKind::Refused,
                           systemError(links < maxLinks ? errno : ELOOP));
        file = *next;
    }

    target.file = file;
    if (document && FileIdentity{status.st_dev, status.st_ino} == *document)
        return refused(target, OutputKind::Document, isTheDocument);
    switch (status.st_mode & S_IFMT) {
    case S_IFREG:
        target.kind = OutputKind::ExistingFile;
        target.bits = status.st_mode & 07777;
        return target;
    case S_IFCHR:
    case S_IFIFO:
        target.kind = OutputKind::Stream;
        return target;
    case S_IFDIR:
        return refused(target, OutputKind::Refused, systemError(EISDIR));
    case S_IFSOCK:
        return refused(target, OutputKind::Refused, QStringLiteral("is a socket, not a file"));
    case S_IFBLK:
        return refused(target, OutputKind::Refused,
                       QStringLiteral("is a block device, not a file"));
    default:
        return refused(target, OutputKind::Refused, QStringLiteral("is not a file"));
    }
}

bool sameFile(const OutputTarget &a, const OutputTarget &b)
{
    const auto identity = [](const OutputTarget &target) {
        return target.kind == OutputKind::StandardOutput ? identityOf(STDOUT_FILENO)
                                                         : identityAt(target.file);
    };
    const std::optional<FileIdentity> first = identity(a);
    const std::optional<FileIdentity> second = identity(b);
    if (first || second)
        return first == second;
    const QFileInfo newA(a.file);
    const QFileInfo newB(b.file);
    const std::optional<FileIdentity> folder = identityAt(newA.path());
    return newA.fileName() == newB.fileName() && folder && folder == identityAt(newB.path());
}
