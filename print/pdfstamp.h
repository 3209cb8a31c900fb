#pragma once

#include "picture.h"

#include <QRectF>
#include <QString>

#include <cstdint>
#include <vector>

class QIODevice;

// A PDF picture's page on a sheet of a run: which picture and page, and the
// rectangle it fills, in points from the paper's top-left corner.
struct PdfPlacement
{
    std::int32_t sheet = 0; // from 1
    QString id;
    std::int32_t page = 1;
    QRectF rect;
};

// Writes the PDF of a run at `runPdf` to `output` with each placement's page
// under the content of its sheet: each page of a picture is one form
// XObject in the file, however many sheets show it, drawn by reference and
// never copied, so that its vectors and text print as they are. An error
// text when the run or a picture cannot be read; empty on success.
QString stampPdfPages(const QString &runPdf, QIODevice &output,
                      const std::vector<PdfPlacement> &placements, const PictureStore &pictures);
