#pragma once

#include "picturedrawing.h"

#include <QByteArray>
#include <QList>
#include <QRectF>
#include <QSizeF>
#include <QString>

#include <cstdint>
#include <optional>

class QPainter;

// A picture under every page of a run, covering its paper: a PDF's pages in
// turn, page k of the run on page ((k - 1) mod n) + 1, each sheet taking the
// size of its page; an image, whole and centred on the paper.
struct RunBackground
{
    QByteArray bytes;
    QString id;
    // In points: a PDF's pages, or an image's one size, read once for the run.
    QList<QSizeF> pageSizes;
    bool pdf = false;

    bool operator==(const RunBackground &) const = default;

    // The paper page `page` of the run takes, in points; empty for an
    // image, which takes the printer's.
    QSizeF paperFor(std::int32_t page) const;
};

// What `bytes`, a PDF, PNG, JPEG or SVG file, put under every page of a
// run; nothing when they cannot be read.
std::optional<RunBackground> runBackground(const QByteArray &bytes);

// Draws the background of page `page` of the run into `paper`, the sheet's
// paper on the device.
void drawRunBackground(QPainter &painter, RenderCache &cache, const RunBackground &background,
                       std::int32_t page, const QRectF &paper, const PdfPagePlacer *placePdfPage);
