#include "outputs/outputfile.h"

#include "filenames.h"
#include "outputs/systemerror.h"

#include <QFileInfo>

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>
#include <utility>

OutputFile::OutputFile(OutputTarget target) : m_target(std::move(target)) {}

OutputFile::~OutputFile()
{
    m_stream.reset();
    if (m_fd >= 0)
        ::close(m_fd);
}

QString OutputFile::open()
{
    const QByteArray file = nativeFileName(m_target.file);
    const QString folder = QFileInfo(m_target.file).path();
    switch (m_target.kind) {
    case OutputKind::StandardOutput:
        m_stream.emplace(STDOUT_FILENO);
        return {};
    case OutputKind::Stream:
        // Opening a FIFO waits for its reader.
        m_fd = ::open(file.constData(), O_WRONLY | O_CLOEXEC | O_NOCTTY);
        if (m_fd < 0)
            return error(errno);
        m_stream.emplace(m_fd);
        return {};
    case OutputKind::NewFile:
        return error(m_spool.open(folder));
    case OutputKind::ExistingFile:
        break;
    case OutputKind::Refused:
    case OutputKind::Document:
        return m_target.refusal;
    }

    const int spooled = m_spool.open(folder);
    if (spooled == 0)
        return error(m_spool.setPermissions(m_target.bits));
    // A file the user may write in a folder they may not, as the program's
    // own Save does it: the run goes elsewhere and is written in place at the
    // end.
    if (spooled != EACCES && spooled != EPERM)
        return error(spooled);
    m_fd = ::open(file.constData(), O_WRONLY | O_CLOEXEC | O_NOCTTY);
    if (m_fd < 0)
        return error(spooled);
    m_inPlace = true;
    return error(m_spool.openElsewhere());
}

CheckedFile &OutputFile::device()
{
    return m_stream ? *m_stream : m_spool.file();
}

QString OutputFile::failure() const
{
    return error(m_stream ? m_stream->failure() : m_spool.file().failure());
}

QString OutputFile::finish()
{
    CheckedFile &file = device();
    return file.finish() ? QString() : error(file.failure());
}

QString OutputFile::place()
{
    // A stream is written straight: it is where it goes already.
    if (m_stream)
        return {};
    return error(m_inPlace ? m_spool.copyOver(m_fd) : m_spool.replace(m_target.file));
}

QString OutputFile::commit()
{
    const QString unfinished = finish();
    return unfinished.isEmpty() ? place() : unfinished;
}

QString OutputFile::error(int number) const
{
    return fileError(m_target.name, number);
}
