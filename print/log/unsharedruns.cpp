#include "log/unsharedruns.h"

#include "jobid.h"

#include "filenames.h"
#include "log/logfiles.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace {

// A file of runs is read whole: it holds a few runs, not a log.
constexpr qint64 mostBytes = qint64{64} << 20;
constexpr int headFields = 6;
const QStringList stateNames = {QStringLiteral("reserved"), QStringLiteral("complete"),
                                QStringLiteral("stopped")};

QString systemText(int error)
{
    return error == ENODEV ? QStringLiteral("not a regular file")
                           : QString::fromLocal8Bit(std::strerror(error));
}

// The file's lock, held while it lives: the runs are read and rewritten by
// one program at a time.
class FileLock
{
public:
    explicit FileLock(const QString &path)
    {
        QDir().mkpath(QFileInfo(path).path());
        m_fd = openWithoutWaiting(path + QStringLiteral(".lock"), O_RDWR | O_CREAT, m_error);
        if (m_fd < 0)
            return;
        while (::flock(m_fd, LOCK_EX) != 0) {
            if (errno != EINTR) {
                m_error = errno;
                break;
            }
        }
    }
    ~FileLock()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    FileLock(const FileLock &) = delete;
    FileLock &operator=(const FileLock &) = delete;

    int error() const { return m_error; }

private:
    int m_fd = -1;
    int m_error = 0;
};

QStringList fieldsOf(const SharedRun &run)
{
    return QStringList{run.localId,     QString::number(run.id),
                       run.documentKey, run.machine,
                       run.user,        stateNames[static_cast<int>(run.state)]} +
           logFields(run.entry);
}

std::optional<SharedRun> runOf(const QStringList &fields)
{
    if (fields.size() < headFields)
        return std::nullopt;
    const std::optional<PrintLogEntry> entry = entryFromFields(fields.mid(headFields));
    bool idOk = false;
    SharedRun run;
    run.localId = fields[0];
    run.id = fields[1].toLongLong(&idOk);
    run.documentKey = jobId(fields[2]);
    run.machine = fields[3];
    run.user = fields[4];
    const qsizetype state = stateNames.indexOf(fields[5]);
    if (!entry || !idOk || state < 0 || run.localId.isEmpty())
        return std::nullopt;
    run.state = static_cast<SharedRun::State>(state);
    run.entry = *entry;
    return run;
}

Outcome<QList<SharedRun>> readRuns(const QString &path)
{
    QFile file;
    if (!QFileInfo::exists(path))
        return QList<SharedRun>();
    // Opened as the log is: a FIFO in its place is refused, never waited on.
    int why = 0;
    const int fd = openWithoutWaiting(path, O_RDONLY, why);
    if (fd >= 0 && !file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle))
        ::close(fd);
    const QString unread = fd < 0          ? systemText(why)
                           : file.isOpen() ? QString()
                                           : file.errorString();
    if (!unread.isEmpty() || file.size() > mostBytes)
        return Outcome<QList<SharedRun>>::failed(QStringLiteral("%1: %2").arg(
            path, unread.isEmpty() ? QStringLiteral("too large to be runs waiting") : unread));
    QList<SharedRun> runs;
    for (const QStringList &fields : parseLog(file.readAll())) {
        if (const std::optional<SharedRun> run = runOf(fields))
            runs.append(*run);
    }
    return runs;
}

} // namespace

UnsharedRuns::UnsharedRuns(QString path) : m_path(std::move(path)) {}

QString UnsharedRuns::defaultPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
           QStringLiteral("/paginette/unshared-runs.csv");
}

QString UnsharedRuns::add(const SharedRun &run) const
{
    const FileLock lock(m_path);
    if (lock.error() != 0)
        return QStringLiteral("%1: %2").arg(m_path, systemText(lock.error()));
    int why = 0;
    const int fd = openWithoutWaiting(m_path, O_WRONLY | O_APPEND | O_CREAT, why);
    if (fd < 0)
        return QStringLiteral("%1: %2").arg(m_path, systemText(why));
    const QByteArray line = logRecord(fieldsOf(run));
    const bool written = ::write(fd, line.constData(), std::size_t(line.size())) == line.size();
    const int writeError = errno;
    const bool closed = ::close(fd) == 0;
    if (!written || !closed)
        return QStringLiteral("%1: %2").arg(m_path, systemText(written ? errno : writeError));
    return {};
}

Outcome<QList<SharedRun>> UnsharedRuns::waiting() const
{
    const FileLock lock(m_path);
    return readRuns(m_path);
}

QString UnsharedRuns::remove(const QStringList &sent) const
{
    const FileLock lock(m_path);
    const Outcome<QList<SharedRun>> runs = readRuns(m_path);
    if (!runs)
        return runs.error;
    QByteArray rest;
    for (const SharedRun &run : *runs) {
        if (!sent.contains(run.localId))
            rest += logRecord(fieldsOf(run));
    }
    if (rest.isEmpty()) {
        if (::unlink(nativeFileName(m_path).constData()) != 0 && errno != ENOENT)
            return QStringLiteral("%1: %2").arg(m_path, systemText(errno));
        return {};
    }
    QSaveFile file(m_path);
    if (!file.open(QIODevice::WriteOnly) || file.write(rest) != rest.size() || !file.commit())
        return QStringLiteral("%1: %2").arg(m_path, file.errorString());
    return {};
}
