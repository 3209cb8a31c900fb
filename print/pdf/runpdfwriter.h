#pragma once

#include "document.h"
#include "picture.h"
#include "run/printrun.h"

#include <QPageLayout>
#include <QPaintDevice>
#include <QString>

#include <memory>

class PdfDocument;
class QIODevice;
class RunPdfEngine;

// The PDF a run is written as: a paint device whose engine writes each page
// itself, as text in embedded font subsets, paths and shared objects, one
// deflate state for the file and a cross-reference stream, two objects a
// page. Qt lets only its own classes derive from QPagedPaintDevice (its one
// constructor takes a private class), so the run reaches pages through
// runSheets().
class RunPdfWriter : public QPaintDevice
{
public:
    explicit RunPdfWriter(QIODevice &out);
    ~RunPdfWriter() override;
    RunPdfWriter(const RunPdfWriter &) = delete;
    RunPdfWriter &operator=(const RunPdfWriter &) = delete;

    // The paper and margins of the pages begun from now on.
    void setPageLayout(const QPageLayout &layout) { m_layout = layout; }
    const QPageLayout &pageLayout() const { return m_layout; }
    void setResolution(int dotsPerInch) { m_resolution = dotsPerInch; }
    int resolution() const { return m_resolution; }
    void setTitle(const QString &title);
    void setCreator(const QString &creator);
    // Tells viewers to print on both sides, turning about that edge.
    void setDuplex(Duplex duplex);
    // The pictures whose PDF pages and JPEGs the run carries as they are,
    // drawn from the stand-ins pdfPageStandIn() gives.
    void setPictures(const PictureStore &pictures);

    // Ends the page drawn and begins the next; while a painter is active.
    bool newPage();
    // A stand-in image for page `page` of the PDF picture `id`, or for the
    // JPEG `id`: the file carries the picture as it is where it is drawn.
    QImage pdfPageStandIn(const QString &id, std::int32_t page);
    // Why the file is not whole, or empty.
    QString error() const;

    QPaintEngine *paintEngine() const override;

    // For the engine: a painter began or ended on the device.
    bool beginRun();
    bool endRun();

protected:
    int metric(PaintDeviceMetric metric) const override;

private:
    void startPage();
    void writePage();

    QPageLayout m_layout;
    QPageLayout m_pageBegun;
    int m_resolution = 1200;
    std::unique_ptr<PdfDocument> m_document;
    std::unique_ptr<RunPdfEngine> m_engine;
};

// The sheets of a run drawn into `writer`, its PDF pages and JPEGs placed as
// they are.
PrintSheets runSheets(RunPdfWriter &writer);
