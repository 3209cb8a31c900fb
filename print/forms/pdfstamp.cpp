#include "forms/pdfstamp.h"

#include "filenames.h"

#include "forms/qpdfpages.h"
#include "pictures/jpegheader.h"
#include "pictures/picturedrawing.h"

#include <QFile>
#include <QIODevice>

QImage PdfStandIns::imageFor(std::int32_t sheet, qint64 runLength, const QString &id,
                             std::int32_t page)
{
    QImage &image = m_images[{id, page}];
    if (image.isNull()) {
        // Red above green and blue: never a grey, which a writer may keep
        // in one channel; 2^21 colours, more than pages fit in a picture.
        const auto n = static_cast<std::uint32_t>(m_standIns.size());
        const QRgb color =
            qRgb(int(0x80 | ((n >> 14) & 0x7f)), int((n >> 7) & 0x7f), int(n & 0x7f));
        image = QImage(1, 1, QImage::Format_RGB32);
        image.fill(color);
        m_standIns.push_back({sheet, runLength, id, page, color});
    }
    return image;
}

namespace {

// The frame of the picture `bytes` when it is a JPEG that goes in as it is.
std::optional<qpdfpages::Jpeg> jpegFrame(const QByteArray &bytes)
{
    if (pictureFormat(bytes) != PictureFormat::Raster)
        return std::nullopt;
    const std::optional<JpegHeader> header = readJpegHeader(bytes);
    if (!header)
        return std::nullopt;
    return qpdfpages::Jpeg{header->width, header->height, header->components,
                           header->adobe && header->components == 4};
}

} // namespace

QString stampPdfPages(const QString &runPdf, QIODevice &output,
                      const std::vector<PdfStandIn> &standIns, const PictureStore &pictures,
                      const QByteArray &catalogEntries, bool copyRun,
                      const std::function<bool()> &keepGoing)
{
    std::vector<qpdfpages::StandIn> placed;
    placed.reserve(standIns.size());
    for (const PdfStandIn &standIn : standIns)
        placed.push_back({standIn.firstSheet,
                          standIn.writtenAfter,
                          {static_cast<unsigned char>(qRed(standIn.color)),
                           static_cast<unsigned char>(qGreen(standIn.color)),
                           static_cast<unsigned char>(qBlue(standIn.color))},
                          standIn.id.toStdString(),
                          standIn.page,
                          jpegFrame(pictures.bytes(standIn.id))});
    const std::string error = qpdfpages::placeForms(
        nativeFileName(runPdf).toStdString(), placed, catalogEntries.toStdString(),
        [&pictures](const std::string &id) {
            return pictures.bytes(QString::fromStdString(id)).toStdString();
        },
        [&output](const char *data, std::size_t length) { output.write(data, qint64(length)); },
        copyRun, keepGoing);
    return QString::fromLocal8Bit(error.c_str());
}
