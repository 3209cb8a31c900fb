#include "pictures/picturebounds.h"

#include "pictures/jpegheader.h"

#include <QBuffer>
#include <QImageReader>

#include <algorithm>
#include <array>
#include <optional>

QString unreadablePicture()
{
    return QStringLiteral("is no PNG, JPEG, SVG or PDF file that can be read");
}

QString rasterExcess(const QByteArray &bytes)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    reader.setDecideFormatFromContent(true);
    // The format first: asking an SVG for its size draws it.
    static const std::array<QByteArray, 4> formats{"png", "jpeg", "gif", "bmp"};
    if (std::find(formats.begin(), formats.end(), reader.format()) == formats.end())
        return unreadablePicture();
    const QSize size = reader.size();
    if (!size.isValid())
        return unreadablePicture();
    const qint64 pixels = qint64{size.width()} * size.height();
    if (pixels > mostPicturePixels)
        return QStringLiteral("has more than %1 megapixels").arg(mostPicturePixels >> 20);
    if (reader.format() == "jpeg") {
        // Scans that cannot be counted are not decoded either.
        const std::optional<JpegHeader> jpeg = readJpegHeader(bytes);
        if (!jpeg)
            return unreadablePicture();
        if (jpeg->scans > mostJpegScans || jpeg->scans * pixels > mostJpegScanPixels)
            return QStringLiteral("is a JPEG of %1 scans, more work to decode than a picture "
                                  "may take")
                .arg(jpeg->scans);
    }
    return {};
}
