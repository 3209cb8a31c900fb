#include "picturedrawing.h"

#include "rendercachetables.h"

#include <QBuffer>
#include <QImageReader>
#include <QPainter>
#include <QPdfDocument>
#include <QSvgRenderer>
#include <QXmlStreamReader>

#include <algorithm>

namespace {

// A raster picture of more pixels than this is not decoded: 128 MB.
constexpr qint64 mostPixels = qint64{32} << 20;
// No picture is decoded larger than this on a side for the screen or a
// preview; a larger one is drawn from it, scaled.
constexpr int mostSide = 4096;
// The decoded pictures a cache keeps, in bytes, before it starts afresh.
constexpr qsizetype mostCachedBytes = qsizetype{256} << 20;
// SVG's unit is the CSS pixel, 96 to the inch.
constexpr qreal svgUnitsPerPageUnit = 96.0 / 72.0;

std::shared_ptr<LoadedPdf> loadedPdf(RenderCache::Tables &tables, const QByteArray &bytes,
                                     const QString &id)
{
    const auto found = tables.pdfs.find(id);
    if (found != tables.pdfs.end())
        return found->second;
    auto pdf = std::make_shared<LoadedPdf>();
    pdf->bytes = bytes;
    pdf->buffer.setBuffer(&pdf->bytes);
    pdf->buffer.open(QIODevice::ReadOnly);
    pdf->document.load(&pdf->buffer);
    if (pdf->document.status() != QPdfDocument::Status::Ready || pdf->document.pageCount() < 1)
        pdf.reset();
    tables.pdfs.emplace(id, pdf);
    return pdf;
}

// Whether the SVG's elements nest no deeper than a drawing needs: the SVG
// module follows nesting on the stack.
bool shallowEnough(const QByteArray &bytes)
{
    constexpr int deepest = 256;
    QXmlStreamReader reader(bytes);
    int depth = 0;
    while (!reader.atEnd()) {
        const QXmlStreamReader::TokenType token = reader.readNext();
        if (token == QXmlStreamReader::StartElement && ++depth > deepest)
            return false;
        if (token == QXmlStreamReader::EndElement)
            --depth;
    }
    return !reader.hasError();
}

std::shared_ptr<QSvgRenderer> svgRenderer(RenderCache::Tables &tables, const QByteArray &bytes,
                                          const QString &id)
{
    const auto found = tables.svgs.find(id);
    if (found != tables.svgs.end())
        return found->second;
    auto renderer = shallowEnough(bytes) ? std::make_shared<QSvgRenderer>(bytes) : nullptr;
    if (renderer && (!renderer->isValid() || renderer->defaultSize().isEmpty()))
        renderer.reset();
    tables.svgs.emplace(id, renderer);
    return renderer;
}

// The raster picture decoded at `size`, or whole when `size` is empty;
// null past the bounds or when it cannot be read.
QImage decodedRaster(const QByteArray &bytes, QSize size = QSize())
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    const QSize whole = reader.size();
    if (!whole.isValid() || qint64{whole.width()} * whole.height() > mostPixels)
        return {};
    if (!size.isEmpty())
        reader.setScaledSize(size);
    return reader.read();
}

QSize boundedSize(QSizeF size)
{
    if (!(size.width() >= 1 && size.height() >= 1))
        return {};
    if (size.width() > mostSide || size.height() > mostSide)
        size.scale(mostSide, mostSide, Qt::KeepAspectRatio);
    return size.toSize().expandedTo(QSize(1, 1));
}

// Page `page` of the picture as an image of `size` pixels.
QImage pictureImage(RenderCache::Tables &tables, const QByteArray &bytes, const QString &id,
                    std::int32_t page, QSize size)
{
    const PictureKey key{id, page, size};
    if (const auto found = tables.pictures.constFind(key); found != tables.pictures.cend())
        return *found;
    QImage image;
    switch (pictureFormat(bytes)) {
    case PictureFormat::Raster:
        image = decodedRaster(bytes, size);
        break;
    case PictureFormat::Svg:
        if (const auto renderer = svgRenderer(tables, bytes, id)) {
            image = QImage(size, QImage::Format_ARGB32_Premultiplied);
            image.fill(Qt::transparent);
            QPainter painter(&image);
            renderer->render(&painter, QRectF(QPointF(0, 0), size));
        }
        break;
    case PictureFormat::Pdf:
        if (const auto pdf = loadedPdf(tables, bytes, id); pdf && page <= pdf->document.pageCount())
            image = pdf->document.render(page - 1, size);
        break;
    }
    if (tables.pictureBytes + image.sizeInBytes() > mostCachedBytes) {
        tables.pictures.clear();
        tables.pictureBytes = 0;
    }
    tables.pictures.insert(key, image);
    tables.pictureBytes += image.sizeInBytes();
    return image;
}

} // namespace

PictureFormat pictureFormat(const QByteArray &bytes)
{
    if (bytes.startsWith("%PDF"))
        return PictureFormat::Pdf;
    const QByteArray start = bytes.left(1024);
    if (start.contains("<svg") || start.trimmed().startsWith("<?xml"))
        return PictureFormat::Svg;
    return PictureFormat::Raster;
}

std::optional<PictureFile> readPictureFile(const QByteArray &bytes, std::int32_t page)
{
    RenderCache cache;
    RenderCache::Tables &tables = cache.tables();
    switch (pictureFormat(bytes)) {
    case PictureFormat::Raster: {
        const QImage image = decodedRaster(bytes);
        if (image.isNull())
            return std::nullopt;
        // An image that says nothing of its resolution shows at 72 to the inch.
        const qreal dotsPerInch = image.dotsPerMeterX() * 0.0254;
        const qreal scale = dotsPerInch >= 1 ? 72 / dotsPerInch : 1;
        return PictureFile{1, QSizeF(image.size()) * scale};
    }
    case PictureFormat::Svg:
        if (const auto renderer = svgRenderer(tables, bytes, QString()))
            return PictureFile{1, QSizeF(renderer->defaultSize()) / svgUnitsPerPageUnit};
        return std::nullopt;
    case PictureFormat::Pdf: {
        const auto pdf = loadedPdf(tables, bytes, QString());
        if (!pdf || page < 1 || page > pdf->document.pageCount())
            return std::nullopt;
        return PictureFile{pdf->document.pageCount(), pdf->document.pagePointSize(page - 1)};
    }
    }
    return std::nullopt;
}

bool drawPicture(QPainter &painter, RenderCache &cache, const QByteArray &bytes, const QString &id,
                 std::int32_t page, const QRectF &target, bool onScreen,
                 const PdfPagePlacer *placePdfPage)
{
    RenderCache::Tables &tables = cache.tables();
    const PictureFormat format = pictureFormat(bytes);
    if (!onScreen && format == PictureFormat::Pdf && placePdfPage) {
        const auto pdf = loadedPdf(tables, bytes, id);
        if (!pdf || page > pdf->document.pageCount())
            return false;
        // Its one pixel must reach the file as it is, to be found again.
        painter.save();
        painter.setRenderHint(QPainter::LosslessImageRendering);
        painter.drawImage(target, (*placePdfPage)(id, page));
        painter.restore();
        return true;
    }
    if (!onScreen && format == PictureFormat::Svg) {
        const auto renderer = svgRenderer(tables, bytes, id);
        if (renderer)
            renderer->render(&painter, target);
        return renderer != nullptr;
    }
    if (!onScreen && format == PictureFormat::Raster) {
        // The one image of the run: a PDF writer writes it once.
        auto found = tables.wholeImages.find(id);
        if (found == tables.wholeImages.end())
            found = tables.wholeImages.insert(id, decodedRaster(bytes));
        if (!found->isNull())
            painter.drawImage(target, *found);
        return !found->isNull();
    }
    // As many pixels as the device shows it with.
    const QRectF shown = painter.transform().mapRect(target);
    const qreal ratio = painter.device() ? painter.device()->devicePixelRatioF() : 1;
    const QSize size = boundedSize(shown.size() * ratio);
    if (size.isEmpty())
        return true;
    const QImage image = pictureImage(tables, bytes, id, page, size);
    if (image.isNull())
        return false;
    painter.drawImage(target, image);
    return true;
}

QRectF fittedInto(const QSizeF &size, const QRectF &area)
{
    if (size.isEmpty())
        return area;
    const QSizeF fitted = size.scaled(area.size(), Qt::KeepAspectRatio);
    QRectF placed(QPointF(0, 0), fitted);
    placed.moveCenter(area.center());
    return placed;
}
