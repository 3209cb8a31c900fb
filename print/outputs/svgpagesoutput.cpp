#include "outputs/svgpagesoutput.h"

SvgPagesOutput::SvgPagesOutput(OutputTarget target, std::optional<FileIdentity> document)
    : PageFilesOutput(std::move(target), document)
{
}

QPaintDevice *SvgPagesOutput::startFace(const QString &path, QSizeF paper)
{
    m_file = std::make_unique<QFile>(path);
    if (!m_file->open(QIODevice::WriteOnly)) {
        setFailure(QStringLiteral("%1: %2").arg(path, m_file->errorString()));
        return nullptr;
    }
    // Drawn in the run's dots, which the picture's size in millimetres
    // turns back into the paper's.
    const int dots = pass().dotsPerInch;
    const QSize size(qRound(paper.width() * dots / 72), qRound(paper.height() * dots / 72));
    m_generator = std::make_unique<QSvgGenerator>();
    m_generator->setOutputDevice(m_file.get());
    m_generator->setResolution(dots);
    m_generator->setSize(size);
    m_generator->setViewBox(QRect(QPoint(), size));
    m_generator->setTitle(pass().title);
    return m_generator.get();
}

QString SvgPagesOutput::finishFace()
{
    m_generator.reset();
    const bool written = m_file->flush() && m_file->error() == QFileDevice::NoError;
    const QString error =
        written ? QString()
                : QStringLiteral("%1: %2").arg(m_file->fileName(), m_file->errorString());
    m_file.reset();
    return error;
}

std::unique_ptr<RunOutput> SvgPagesOutput::madeFor(const OutputTarget &target) const
{
    return std::make_unique<SvgPagesOutput>(target, document());
}
