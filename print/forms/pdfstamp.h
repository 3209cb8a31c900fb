#pragma once

#include "picture.h"

#include <QImage>
#include <QString>

#include <cstdint>
#include <functional>
#include <map>
#include <utility>
#include <vector>

class QIODevice;

// A PDF picture's page, or a JPEG, in a run, drawn by the PDF writer as a
// stand-in: an image of one pixel of a colour of its own, which the writer
// keeps once however many sheets show it and which stampPdfPages turns into
// the page, or the JPEG as it is.
struct PdfStandIn
{
    std::int32_t firstSheet = 0; // from 1
    // The run's length when the stand-in was made: its image object is
    // written where it is first drawn, after that.
    qint64 writtenAfter = 0;
    QString id;
    std::int32_t page = 1;
    QRgb color = 0;
};

// The stand-ins of one run, one for each page of a picture it shows.
class PdfStandIns
{
public:
    // The stand-in for `page` of picture `id`, drawn on `sheet` of a run
    // that has written `runLength` bytes so far.
    QImage imageFor(std::int32_t sheet, qint64 runLength, const QString &id, std::int32_t page);
    const std::vector<PdfStandIn> &all() const { return m_standIns; }

private:
    std::vector<PdfStandIn> m_standIns;
    std::map<std::pair<QString, std::int32_t>, QImage> m_images;
};

// Writes to `output` an update of the PDF of a run at `runPdf` that puts
// in place of each stand-in's image the picture's page as a form XObject,
// or the JPEG's own bytes as the image's data: one object, drawn by
// reference from every sheet, never copied, so that vectors and text print
// as they are and a photograph as it was taken. `output` is the run's own
// file, open at its end, or with `copyRun` another, to which the run is
// copied first. `keepGoing`, when given, is asked between two pictures. An
// error text when the run or a picture cannot be read, or the update was
// stopped; empty on success.
// The catalog of the update also gains `catalogEntries`.
QString stampPdfPages(const QString &runPdf, QIODevice &output,
                      const std::vector<PdfStandIn> &standIns, const PictureStore &pictures,
                      const QByteArray &catalogEntries, bool copyRun,
                      const std::function<bool()> &keepGoing = {});
