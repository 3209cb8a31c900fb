#pragma once

#include "pictures/picturedrawing.h"

#include <QByteArray>
#include <QRectF>
#include <QSizeF>
#include <QString>

#include <cstdint>
#include <functional>
#include <map>
#include <optional>

class QPainter;

// A picture under every page of a run, covering its paper: a PDF's pages in
// turn, page k of the run on page ((k - 1) mod n) + 1, each sheet taking the
// size of its page; an image, whole and centred on the paper.
struct RunBackground
{
    QByteArray bytes;
    QString id;
    bool pdf = false;
    std::int32_t pageCount = 1;
    // In points, read once for the run: the size of each page of a PDF the
    // run uses, or an image's one size as page 1.
    std::map<std::int32_t, QSizeF> pageSizes;

    bool operator==(const RunBackground &) const = default;

    // The background's page under page `page` of the run.
    std::int32_t pageUnder(std::int32_t page) const { return (page - 1) % pageCount + 1; }
    // The paper page `page` of the run takes, in points; empty for an
    // image, which takes the printer's.
    QSizeF paperFor(std::int32_t page) const;
};

// What `bytes`, a PDF, PNG, JPEG or SVG file, put under pages `first` to
// `last` of a run, reading only the pages of a PDF that those use. Fails
// when they cannot be read, or a page they use cannot be drawn within
// bounds, saying why ("has no page 3"); and without a word when
// `keepGoing`, asked between two pages, says to stop.
Outcome<RunBackground> runBackground(const QByteArray &bytes, std::int32_t first, std::int32_t last,
                                     const std::function<bool()> &keepGoing = {});

// Draws the background of page `page` of the run into `paper`, the sheet's
// paper on the device.
void drawRunBackground(QPainter &painter, RenderCache &cache, const RunBackground &background,
                       std::int32_t page, const QRectF &paper, const PdfPagePlacer *placePdfPage);
