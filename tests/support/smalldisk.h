#pragma once

#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include <cerrno>
#include <cstring>
#include <sys/mount.h>
#include <sys/statvfs.h>

// A file system of a few blocks mounted for one test, so that a run can meet
// a full disk. Mounting needs root; where it fails, `reason` says why, for
// QSKIP.
class SmallDisk
{
public:
    SmallDisk()
    {
        if (::mount("tmpfs", QFile::encodeName(m_dir.path()).constData(), "tmpfs", 0,
                    "size=256k,mode=0755") != 0)
            reason = QStringLiteral("cannot mount a small file system: %1")
                         .arg(QString::fromLocal8Bit(std::strerror(errno)));
    }
    ~SmallDisk()
    {
        if (mounted())
            ::umount2(QFile::encodeName(m_dir.path()).constData(), MNT_DETACH);
    }
    SmallDisk(const SmallDisk &) = delete;
    SmallDisk &operator=(const SmallDisk &) = delete;

    bool mounted() const { return reason.isEmpty(); }
    QString path() const { return m_dir.path(); }

    // Takes all the room but `spare` bytes with a file of its own.
    bool fill(qint64 spare = 0) const
    {
        struct statvfs room = {};
        QFile filler(m_dir.filePath(QStringLiteral("filler")));
        if (::statvfs(QFile::encodeName(path()).constData(), &room) != 0 ||
            !filler.open(QIODevice::WriteOnly))
            return false;
        const qint64 size = qint64(room.f_bavail * room.f_frsize) - spare;
        return filler.write(QByteArray(size, 'f')) == size && filler.flush();
    }

    QString reason;

private:
    QTemporaryDir m_dir;
};
