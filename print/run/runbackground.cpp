#include "run/runbackground.h"

QSizeF RunBackground::paperFor(std::int32_t page) const
{
    if (!pdf)
        return {};
    const auto found = pageSizes.find(pageUnder(page));
    return found == pageSizes.end() ? QSizeF() : found->second;
}

Outcome<RunBackground> runBackground(const QByteArray &bytes, std::int32_t first, std::int32_t last,
                                     const std::function<bool()> &keepGoing)
{
    PictureFileReader reader(bytes);
    const Outcome<PictureFile> file = reader.read(1);
    if (!file)
        return Outcome<RunBackground>::failed(file.error);
    RunBackground background{
        bytes, pictureId(bytes), pictureFormat(bytes) == PictureFormat::Pdf, file->pages, {}};
    if (!background.pdf) {
        background.pageSizes.emplace(1, file->size);
        return background;
    }
    // The pages under the run's: all of them once it is as long as the file.
    const std::int64_t used = std::min<std::int64_t>(std::int64_t{last} - first + 1, file->pages);
    for (std::int64_t k = 0; k < used; ++k) {
        if (keepGoing && !keepGoing())
            return Outcome<RunBackground>::failed(QString());
        const std::int32_t page = background.pageUnder(static_cast<std::int32_t>(first + k));
        const Outcome<PictureFile> read = page == 1 ? file : reader.read(page);
        if (!read)
            return Outcome<RunBackground>::failed(read.error);
        background.pageSizes.emplace(page, read->size);
    }
    return background;
}

void drawRunBackground(QPainter &painter, RenderCache &cache, const RunBackground &background,
                       std::int32_t page, const QRectF &paper, const PdfPagePlacer *placePdfPage)
{
    if (!background.pdf) {
        drawPicture(painter, cache, background.bytes, background.id, 1,
                    fittedInto(background.pageSizes.at(1), paper), false, placePdfPage);
        return;
    }
    drawPicture(painter, cache, background.bytes, background.id, background.pageUnder(page), paper,
                false, placePdfPage);
}
