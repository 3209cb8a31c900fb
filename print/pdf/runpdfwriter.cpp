#include "pdf/runpdfwriter.h"

#include "pdf/pdfdocument.h"
#include "pdf/runpdfengine.h"
#include "run/placements.h"

RunPdfWriter::RunPdfWriter(QIODevice &out)
    : m_layout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF()),
      m_document(std::make_unique<PdfDocument>(out)),
      m_engine(std::make_unique<RunPdfEngine>(*m_document))
{
}

RunPdfWriter::~RunPdfWriter() = default;

void RunPdfWriter::setTitle(const QString &title)
{
    m_document->setTitle(title);
}

void RunPdfWriter::setCreator(const QString &creator)
{
    m_document->setCreator(creator);
}

void RunPdfWriter::setDuplex(Duplex duplex)
{
    m_document->setDuplexEntry(duplex == Duplex::LongEdge    ? "/Duplex/DuplexFlipLongEdge"
                               : duplex == Duplex::ShortEdge ? "/Duplex/DuplexFlipShortEdge"
                                                             : "");
}

void RunPdfWriter::setPictures(const PictureStore &pictures)
{
    m_document->setPictures(pictures);
}

QPaintEngine *RunPdfWriter::paintEngine() const
{
    return m_engine.get();
}

QString RunPdfWriter::error() const
{
    return m_document->error();
}

QImage RunPdfWriter::pdfPageStandIn(const QString &id, std::int32_t page)
{
    return m_document->standIn(id, page);
}

void RunPdfWriter::startPage()
{
    m_pageBegun = m_layout;
    const qreal dotsPerPoint = m_resolution / 72.0;
    const QRectF paper = m_layout.fullRectPoints();
    const QRectF printable = m_layout.paintRectPoints();
    m_engine->startPage(dotsPerPoint, printable.topLeft() - paper.topLeft(), paper.height());
}

void RunPdfWriter::writePage()
{
    m_document->addPage(m_pageBegun.fullRectPoints().size(), m_engine->endPage());
}

bool RunPdfWriter::beginRun()
{
    m_document->begin();
    startPage();
    return true;
}

bool RunPdfWriter::endRun()
{
    writePage();
    return m_document->finish();
}

bool RunPdfWriter::newPage()
{
    if (!m_engine->isActive())
        return false;
    writePage();
    startPage();
    return m_document->error().isEmpty();
}

int RunPdfWriter::metric(PaintDeviceMetric metric) const
{
    switch (metric) {
    case PdmWidth:
        return m_layout.paintRectPixels(m_resolution).width();
    case PdmHeight:
        return m_layout.paintRectPixels(m_resolution).height();
    case PdmWidthMM:
        return qRound(m_layout.paintRect(QPageLayout::Millimeter).width());
    case PdmHeightMM:
        return qRound(m_layout.paintRect(QPageLayout::Millimeter).height());
    case PdmDpiX:
    case PdmDpiY:
    case PdmPhysicalDpiX:
    case PdmPhysicalDpiY:
        return m_resolution;
    case PdmNumColors:
        return INT_MAX;
    case PdmDepth:
        return 32;
    case PdmDevicePixelRatio:
        return 1;
    case PdmDevicePixelRatioScaled:
        return int(devicePixelRatioFScale());
    }
    return 0;
}

PrintSheets runSheets(RunPdfWriter &writer)
{
    PrintSheets sheets;
    sheets.device = &writer;
    sheets.newSheet = [&writer] {
        return writer.newPage();
    };
    sheets.failure = [&writer] {
        return writer.error();
    };
    const DevicePaper paper = devicePaper(writer.pageLayout());
    sheets.printableOrigin = paper.printableOrigin;
    sheets.paperSize = paper.size;
    sheets.setPaperSize = [&writer](QSizeF size) {
        writer.setPageLayout(
            QPageLayout(QPageSize(size, QPageSize::Point), QPageLayout::Portrait, QMarginsF()));
    };
    sheets.placePdfPage = [&writer](const QString &id, std::int32_t page) {
        return writer.pdfPageStandIn(id, page);
    };
    return sheets;
}
