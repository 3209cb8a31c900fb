#include "outputs/pngpagesoutput.h"

#include <QImageWriter>

#include <cmath>

namespace {

constexpr double inchesPerMetre = 1 / 0.0254;

} // namespace

PngPagesOutput::PngPagesOutput(OutputTarget target, std::int32_t dotsPerInch,
                               std::optional<FileIdentity> document)
    : PageFilesOutput(std::move(target), document), m_dotsPerInch(dotsPerInch)
{
}

QPaintDevice *PngPagesOutput::startFace(const QString &path, QSizeF paper)
{
    m_path = path;
    const QSize pixels(qRound(paper.width() * m_dotsPerInch / 72),
                       qRound(paper.height() * m_dotsPerInch / 72));
    m_image = QImage(pixels, QImage::Format_RGB32);
    if (m_image.isNull()) {
        setFailure(QStringLiteral("%1: a page of %2 x %3 pixels is more than can be held")
                       .arg(path)
                       .arg(pixels.width())
                       .arg(pixels.height()));
        return nullptr;
    }
    m_image.fill(Qt::white);
    const int dotsPerMetre = static_cast<int>(std::lround(m_dotsPerInch * inchesPerMetre));
    m_image.setDotsPerMeterX(dotsPerMetre);
    m_image.setDotsPerMeterY(dotsPerMetre);
    return &m_image;
}

QString PngPagesOutput::finishFace()
{
    QImageWriter writer(m_path, "png");
    const bool written = writer.write(m_image);
    m_image = QImage();
    return written ? QString() : QStringLiteral("%1: %2").arg(m_path, writer.errorString());
}

qreal PngPagesOutput::deviceScale() const
{
    return qreal(m_dotsPerInch) / pass().dotsPerInch;
}

std::unique_ptr<RunOutput> PngPagesOutput::madeFor(const OutputTarget &target) const
{
    return std::make_unique<PngPagesOutput>(target, m_dotsPerInch, document());
}
