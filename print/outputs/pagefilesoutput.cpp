#include "outputs/pagefilesoutput.h"

#include "filenames.h"
#include "outputs/systemerror.h"
#include "run/placements.h"

#include <QDir>
#include <QFileInfo>

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>

namespace {

// The digits a face number takes: four, more for a longer run.
int faceDigits(std::int64_t faces)
{
    return std::max<int>(4, static_cast<int>(QString::number(faces).size()));
}

// Moves `from` to `to` in one step, swapping the two where `to` exists so
// that the old file can be put back; an error number, or 0.
int moveOrSwap(const QByteArray &from, const QByteArray &to, bool exists)
{
    const int moved = ::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(),
                                  exists ? RENAME_EXCHANGE : RENAME_NOREPLACE);
    return moved == 0 ? 0 : errno;
}

} // namespace

PageFilesOutput::PageFilesOutput(OutputTarget target, std::optional<FileIdentity> document)
    : m_target(std::move(target)), m_document(document)
{
}

QString PageFilesOutput::name() const
{
    const QString folder = QFileInfo(QFileInfo(m_target.name).absoluteFilePath()).path();
    const std::int64_t faces = std::max<std::int64_t>(m_pass.faces, 1);
    if (faces == 1)
        return facePath(folder, 1);
    return QStringLiteral("%1 to %2")
        .arg(facePath(folder, 1), QFileInfo(facePath(folder, faces)).fileName());
}

QString PageFilesOutput::facePath(const QString &folder, std::int64_t face) const
{
    const QFileInfo given(m_target.name);
    return QDir(folder).filePath(QStringLiteral("%1-%2.%3")
                                     .arg(given.completeBaseName())
                                     .arg(face, faceDigits(m_pass.faces), 10, QLatin1Char('0'))
                                     .arg(given.suffix()));
}

QString PageFilesOutput::open(const OutputPass &pass)
{
    m_pass = pass;
    if (m_target.kind == OutputKind::Refused || m_target.kind == OutputKind::Document)
        return m_target.refusal;
    if (m_target.kind == OutputKind::StandardOutput || m_target.kind == OutputKind::Stream)
        return QStringLiteral("%1: pages as pictures go to files, not to a stream")
            .arg(m_target.name);
    const QString folder = QFileInfo(m_target.file).path();
    m_staging.emplace(QDir(folder).filePath(QStringLiteral(".paginette-XXXXXX")));
    if (!m_staging->isValid())
        return QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(folder),
                                            m_staging->errorString());
    return {};
}

PrintSheets PageFilesOutput::sheets()
{
    PrintSheets sheets;
    const DevicePaper paper = devicePaper(m_pass.layout);
    sheets.paperSize = paper.size;
    // A page's origin lies where the printer's printable area begins, as on paper.
    sheets.printableOrigin = paper.printableOrigin;
    sheets.deviceScale = deviceScale();
    sheets.faceDevice = [this](std::int64_t face, QSizeF paper) {
        return nextFace(face, paper);
    };
    sheets.failure = [this] {
        return m_failure;
    };
    return sheets;
}

QPaintDevice *PageFilesOutput::nextFace(std::int64_t face, QSizeF paper)
{
    if (m_facesStarted > 0 && m_failure.isEmpty())
        m_failure = finishFace();
    if (!m_failure.isEmpty())
        return nullptr;
    m_facesStarted = face;
    return startFace(facePath(m_staging->path(), face), paper);
}

QString PageFilesOutput::deliver(const KeepGoing &)
{
    if (m_facesStarted > 0 && m_failure.isEmpty())
        m_failure = finishFace();
    if (!m_failure.isEmpty())
        return m_failure;
    return planMoves();
}

QString PageFilesOutput::planMoves()
{
    const QString folder = QFileInfo(m_target.file).path();
    m_moves.clear();
    for (std::int64_t face = 1; face <= m_facesStarted; ++face) {
        const OutputTarget target = resolveOutput(facePath(folder, face), m_document);
        if (target.kind != OutputKind::NewFile && target.kind != OutputKind::ExistingFile)
            return target.refusal.isEmpty()
                       ? QStringLiteral("%1: not a file a page can replace").arg(target.name)
                       : target.refusal;
        const QByteArray staged = nativeFileName(facePath(m_staging->path(), face));
        if (target.kind == OutputKind::ExistingFile)
            ::chmod(staged.constData(), target.bits);
        m_moves.push_back(
            {staged, nativeFileName(target.file), target.kind == OutputKind::ExistingFile});
    }
    return {};
}

QString PageFilesOutput::putInPlace()
{
    for (std::size_t done = 0; done < m_moves.size(); ++done) {
        const Move &move = m_moves[done];
        const int error = moveOrSwap(move.staged, move.placed, move.swapped);
        if (error == 0)
            continue;
        // Every face or none: what moved goes back, the old files with it.
        for (std::size_t back = done; back-- > 0;)
            moveOrSwap(m_moves[back].placed, m_moves[back].staged, m_moves[back].swapped);
        return fileError(fileNameFromNative(move.placed), error);
    }
    // What was swapped out, and the folder, go with the staging folder.
    return {};
}

std::unique_ptr<RunOutput> PageFilesOutput::forBacks() const
{
    const QFileInfo fronts(m_target.name);
    return madeFor(resolveOutput(fronts.dir().filePath(fronts.completeBaseName() +
                                                       QStringLiteral("-backs.") + fronts.suffix()),
                                 m_document));
}
