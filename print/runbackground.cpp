#include "runbackground.h"

QSizeF RunBackground::paperFor(std::int32_t page) const
{
    if (!pdf)
        return {};
    return pageSizes[(page - 1) % pageSizes.size()];
}

std::optional<RunBackground> runBackground(const QByteArray &bytes)
{
    const std::optional<PictureFile> file = readPictureFile(bytes);
    if (!file)
        return std::nullopt;
    RunBackground background{
        bytes, pictureId(bytes), {file->size}, pictureFormat(bytes) == PictureFormat::Pdf};
    for (std::int32_t page = 2; background.pdf && page <= file->pages; ++page) {
        const std::optional<PictureFile> read = readPictureFile(bytes, page);
        background.pageSizes.append(read ? read->size : file->size);
    }
    return background;
}

void drawRunBackground(QPainter &painter, RenderCache &cache, const RunBackground &background,
                       std::int32_t page, const QRectF &paper, const PdfPagePlacer *placePdfPage)
{
    if (!background.pdf) {
        drawPicture(painter, cache, background.bytes, background.id, 1,
                    fittedInto(background.pageSizes.constFirst(), paper), false, placePdfPage);
        return;
    }
    const auto pages = static_cast<std::int32_t>(background.pageSizes.size());
    drawPicture(painter, cache, background.bytes, background.id, (page - 1) % pages + 1, paper,
                false, placePdfPage);
}
