#include "pictures/picturedrawing.h"

#include "pictures/jpegheader.h"
#include "pictures/picturebounds.h"
#include "pictures/svgcontent.h"
#include "rendercachetables.h"

#include <QBuffer>
#include <QImageReader>
#include <QPainter>
#include <QPdfDocument>
#include <QSvgRenderer>

#include <algorithm>

namespace {

// No picture is decoded larger than this on a side for the screen or a
// preview; a larger one is drawn from it, scaled.
constexpr int mostSide = 4096;
// The decoded pictures a cache keeps, in bytes, before it starts afresh.
constexpr qsizetype mostCachedBytes = qsizetype{256} << 20;
// SVG's unit is the CSS pixel, 96 to the inch.
constexpr qreal svgUnitsPerPageUnit = 96.0 / 72.0;

// What drawing a PDF page may cost: a page of a 261 KB file can hold
// hundreds of megabytes of content once inflated, which Qt PDF would parse
// whole, and Qt PDF runs about two million operators a second.
const pdfbounds::Limits pdfLimits{
    .contentBytes = std::size_t{32} << 20,
    .operators = std::size_t{4} << 20,
    .streamBytes = std::size_t(mostPicturePixels) * 4,
    .imagePixels = std::size_t(mostPicturePixels),
    .formDepth = 32,
};

QString pdfPageRefusal(pdfbounds::Excess excess, std::int32_t page)
{
    switch (excess) {
    case pdfbounds::Excess::None:
        return {};
    case pdfbounds::Excess::Unreadable:
        return QStringLiteral("cannot be read on page %1").arg(page);
    case pdfbounds::Excess::Content:
        return QStringLiteral("draws more than %1 MB on page %2")
            .arg(pdfLimits.contentBytes >> 20)
            .arg(page);
    case pdfbounds::Excess::Work:
        return QStringLiteral("runs more than %1 million operators on page %2")
            .arg(pdfLimits.operators >> 20)
            .arg(page);
    case pdfbounds::Excess::Stream:
        return QStringLiteral("holds data of more than %1 MB on page %2")
            .arg(pdfLimits.streamBytes >> 20)
            .arg(page);
    case pdfbounds::Excess::Image:
        return QStringLiteral("holds an image of more than %1 megapixels on page %2")
            .arg(pdfLimits.imagePixels >> 20)
            .arg(page);
    case pdfbounds::Excess::Nesting:
        return QStringLiteral("nests its drawings too deep on page %1").arg(page);
    }
    return {};
}

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
    if (pdf->document.error() == QPdfDocument::Error::IncorrectPassword)
        pdf->refusal = QStringLiteral("is protected by a password");
    else if (pdf->document.status() != QPdfDocument::Status::Ready || pdf->document.pageCount() < 1)
        pdf->refusal = unreadablePicture();
    tables.pdfs.emplace(id, pdf);
    return pdf;
}

// Why `pdf` has no page `page`; empty when it has.
QString missingPage(const LoadedPdf &pdf, std::int32_t page)
{
    if (!pdf.refusal.isEmpty())
        return pdf.refusal;
    if (page < 1 || page > pdf.document.pageCount())
        return QStringLiteral("has no page %1").arg(page);
    return {};
}

// Why page `page` of `pdf` cannot be drawn within bounds; empty when it can.
QString pageRefusal(LoadedPdf &pdf, std::int32_t page)
{
    if (QString missing = missingPage(pdf, page); !missing.isEmpty())
        return missing;
    const auto found = pdf.pageRefusals.find(page);
    if (found != pdf.pageRefusals.end())
        return found->second;
    if (!pdf.bounds)
        pdf.bounds = std::make_unique<pdfbounds::PdfPages>(
            pdf.bytes.constData(), std::size_t(pdf.bytes.size()), pdfLimits);
    return pdf.pageRefusals.emplace(page, pdfPageRefusal(pdf.bounds->excess(page), page))
        .first->second;
}

std::shared_ptr<LoadedSvg> loadedSvg(RenderCache::Tables &tables, const QByteArray &bytes,
                                     const QString &id)
{
    const auto found = tables.svgs.find(id);
    if (found != tables.svgs.end())
        return found->second;
    auto svg = std::make_shared<LoadedSvg>();
    if (const Outcome<SvgContent> content = svgContent(bytes); !content) {
        svg->refusal = content.error;
    } else {
        svg->externalReferences = content->externalReferences;
        svg->renderer = std::make_unique<QSvgRenderer>(content->bytes);
        if (!svg->renderer->isValid() || svg->renderer->defaultSize().isEmpty()) {
            svg->renderer.reset();
            svg->refusal = unreadablePicture();
        }
    }
    tables.svgs.emplace(id, svg);
    return svg;
}

// The raster picture decoded at `size`, or whole when `size` is empty;
// null past the bounds or when it cannot be read, with why in `why`.
QImage decodedRaster(const QByteArray &bytes, QSize size = QSize(), QString *why = nullptr)
{
    QString excess = rasterExcess(bytes);
    QImage image;
    if (excess.isEmpty()) {
        QBuffer buffer;
        buffer.setData(bytes);
        buffer.open(QIODevice::ReadOnly);
        QImageReader reader(&buffer);
        reader.setDecideFormatFromContent(true);
        if (!size.isEmpty())
            reader.setScaledSize(size);
        image = reader.read();
        if (image.isNull())
            excess = unreadablePicture();
    }
    if (why)
        *why = excess;
    return image;
}

// Whether the raster picture `bytes` goes into a PDF as it is: a JPEG that
// a PDF's own filter reads, whose decoding passes the bounds.
bool passesAsItIs(const QByteArray &bytes)
{
    const std::optional<JpegHeader> jpeg = readJpegHeader(bytes);
    return jpeg && jpeg->dctDecodable && jpeg->precision == 8 &&
           (jpeg->components == 1 || jpeg->components == 3 || jpeg->components == 4) &&
           rasterExcess(bytes).isEmpty();
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
        if (const auto svg = loadedSvg(tables, bytes, id); svg->renderer) {
            image = QImage(size, QImage::Format_ARGB32_Premultiplied);
            image.fill(Qt::transparent);
            QPainter painter(&image);
            svg->renderer->render(&painter, QRectF(QPointF(0, 0), size));
        }
        break;
    case PictureFormat::Pdf:
        if (const auto pdf = loadedPdf(tables, bytes, id); pageRefusal(*pdf, page).isEmpty())
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

bool placedAsItIs(const QByteArray &bytes)
{
    switch (pictureFormat(bytes)) {
    case PictureFormat::Pdf:
        return true;
    case PictureFormat::Raster:
        return passesAsItIs(bytes);
    case PictureFormat::Svg:
        return false;
    }
    return false;
}

Outcome<PictureFile> readPictureFile(const QByteArray &bytes, std::int32_t page)
{
    return PictureFileReader(bytes).read(page);
}

PictureFileReader::PictureFileReader(const QByteArray &bytes) : m_bytes(bytes) {}

Outcome<PictureFile> PictureFileReader::read(std::int32_t page)
{
    RenderCache::Tables &tables = m_cache.tables();
    const QByteArray &bytes = m_bytes;
    QString refusal;
    std::optional<PictureFile> file;
    switch (pictureFormat(bytes)) {
    case PictureFormat::Raster: {
        const QImage image = decodedRaster(bytes, QSize(), &refusal);
        if (image.isNull())
            break;
        // An image that says nothing of its resolution shows at 72 to the inch.
        const qreal dotsPerInch = image.dotsPerMeterX() * 0.0254;
        const qreal scale = dotsPerInch >= 1 ? 72 / dotsPerInch : 1;
        file = PictureFile{1, QSizeF(image.size()) * scale};
        break;
    }
    case PictureFormat::Svg:
        if (const auto svg = loadedSvg(tables, bytes, QString()); svg->renderer)
            file = PictureFile{1, QSizeF(svg->renderer->defaultSize()) / svgUnitsPerPageUnit,
                               svg->externalReferences};
        else
            refusal = svg->refusal;
        break;
    case PictureFormat::Pdf: {
        const auto pdf = loadedPdf(tables, bytes, QString());
        refusal = pageRefusal(*pdf, page);
        if (refusal.isEmpty())
            file = PictureFile{pdf->document.pageCount(), pdf->document.pagePointSize(page - 1)};
        break;
    }
    }
    if (!file)
        return Outcome<PictureFile>::failed(refusal);
    return *file;
}

bool drawPicture(QPainter &painter, RenderCache &cache, const QByteArray &bytes, const QString &id,
                 std::int32_t page, const QRectF &target, bool onScreen,
                 const PdfPagePlacer *placePdfPage)
{
    RenderCache::Tables &tables = cache.tables();
    const PictureFormat format = pictureFormat(bytes);
    // A PDF page, or a JPEG as it is, comes from a stand-in that the file
    // has replaced once written. Its one pixel must reach the file as it
    // is, to be found again.
    const auto drawStandIn = [&] {
        painter.save();
        painter.setRenderHint(QPainter::LosslessImageRendering);
        painter.drawImage(target, (*placePdfPage)(id, page));
        painter.restore();
        return true;
    };
    // A page placed as it is is never drawn by Qt PDF: the check before the
    // run measured it.
    if (!onScreen && format == PictureFormat::Pdf && placePdfPage) {
        if (!missingPage(*loadedPdf(tables, bytes, id), page).isEmpty())
            return false;
        return drawStandIn();
    }
    if (!onScreen && format == PictureFormat::Svg) {
        const auto svg = loadedSvg(tables, bytes, id);
        if (svg->renderer) {
            painter.save();
            painter.setRenderHint(QPainter::LosslessImageRendering);
            svg->renderer->render(&painter, target);
            painter.restore();
        }
        return svg->renderer != nullptr;
    }
    if (!onScreen && format == PictureFormat::Raster) {
        // Its markers are read once a run, not once a page.
        auto asItIs = tables.jpegsAsTheyAre.find(id);
        if (placePdfPage && asItIs == tables.jpegsAsTheyAre.end())
            asItIs = tables.jpegsAsTheyAre.insert(id, passesAsItIs(bytes));
        if (placePdfPage && *asItIs)
            return drawStandIn();
        // The one image of the run: a PDF writer writes it once, and as
        // its pixels are, never through a lossy encoder.
        auto found = tables.wholeImages.find(id);
        if (found == tables.wholeImages.end())
            found = tables.wholeImages.insert(id, decodedRaster(bytes));
        if (found->isNull())
            return false;
        painter.save();
        painter.setRenderHint(QPainter::LosslessImageRendering);
        painter.drawImage(target, *found);
        painter.restore();
        return true;
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
