#include "outputs/pdffileoutput.h"

#include <QDir>
#include <QFileInfo>

PdfFileOutput::PdfFileOutput(OutputTarget target, std::optional<FileIdentity> document)
    : m_target(target), m_document(document), m_file(std::move(target))
{
}

QString PdfFileOutput::name() const
{
    if (m_target.kind == OutputKind::StandardOutput)
        return QStringLiteral("standard output");
    return QFileInfo(m_target.name).absoluteFilePath();
}

QString PdfFileOutput::open(const OutputPass &pass)
{
    const QString error = m_file.open();
    if (!error.isEmpty())
        return error;
    m_drawing.open(pass, m_file.device(), [this] { return m_file.failure(); });
    return {};
}

PrintSheets PdfFileOutput::sheets()
{
    return m_drawing.sheets();
}

QString PdfFileOutput::deliver(const KeepGoing &)
{
    const QString error = m_drawing.failure();
    return error.isEmpty() ? m_file.finish() : error;
}

bool PdfFileOutput::waitsForPlace() const
{
    return m_target.kind == OutputKind::NewFile || m_target.kind == OutputKind::ExistingFile;
}

QString PdfFileOutput::putInPlace()
{
    return m_file.place();
}

QString PdfFileOutput::deliveryNote() const
{
    if (!m_file.rewroteInPlace())
        return {};
    return QStringLiteral("%1: its folder is not writable; the file was rewritten in place")
        .arg(m_target.name);
}

std::unique_ptr<RunOutput> PdfFileOutput::forBacks() const
{
    // A stream takes one pass; there is no file beside it.
    if (m_target.kind == OutputKind::StandardOutput || m_target.kind == OutputKind::Stream)
        return nullptr;
    const QFileInfo fronts(m_target.name);
    return std::make_unique<PdfFileOutput>(
        resolveOutput(
            fronts.dir().filePath(fronts.completeBaseName() + QStringLiteral("-backs.pdf")),
            m_document),
        m_document);
}
