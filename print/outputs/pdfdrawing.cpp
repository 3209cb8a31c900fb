#include "outputs/pdfdrawing.h"

#include "outputs/systemerror.h"
#include "pictures/picturedrawing.h"

#include <algorithm>

QByteArray viewerPreferences(Duplex duplex)
{
    QByteArray entries = "\n/ViewerPreferences << /PrintScaling /None";
    if (duplex == Duplex::LongEdge)
        entries += " /Duplex /DuplexFlipLongEdge";
    else if (duplex == Duplex::ShortEdge)
        entries += " /Duplex /DuplexFlipShortEdge";
    return entries + " >>";
}

QString PdfDrawing::open(const OutputPass &pass, CheckedFile &device, const QString &readablePath,
                         std::function<QString()> deviceFailure)
{
    m_device = &device;
    m_readablePath = readablePath;
    m_deviceFailure = std::move(deviceFailure);
    m_duplex = pass.duplex;
    const auto &entries = pass.pictures.entries();
    if (std::any_of(entries.begin(), entries.end(),
                    [](const auto &entry) { return placedAsItIs(entry.second); }))
        m_pdfPictures = pass.pictures;
    // The update appended to the run reads it back as it stands.
    m_drawnElsewhere = readablePath.isEmpty();
    if (m_drawnElsewhere) {
        const QString error = temporaryFolderError(m_elsewhere.openElsewhere());
        if (!error.isEmpty())
            return error;
    }
    m_writer = std::make_unique<QPdfWriter>(&drawnInto());
    m_writer->setPageLayout(pass.layout);
    m_writer->setResolution(pass.dotsPerInch);
    m_writer->setTitle(pass.title);
    m_writer->setCreator(pass.title);
    return {};
}

PrintSheets PdfDrawing::sheets()
{
    PrintSheets sheets = pagedSheets(*m_writer);
    sheets.failure = [this] {
        return failure();
    };
    sheets.abort = [this] {
        drawnInto().abandon();
        m_device->abandon();
    };
    if (m_pdfPictures)
        sheets.placePdfPage = [this](std::int32_t sheet, const QString &id, std::int32_t page) {
            return m_standIns.imageFor(sheet, drawnInto().pos(), id, page);
        };
    return sheets;
}

QString PdfDrawing::finish(const KeepGoing &keepGoing)
{
    if (!(m_drawnElsewhere ? m_elsewhere.file().finish() : m_device->flush()))
        return failure();
    const QString error =
        stampPdfPages(m_drawnElsewhere ? m_elsewhere.readablePath() : m_readablePath, *m_device,
                      m_standIns.all(), m_pdfPictures.value_or(PictureStore()),
                      viewerPreferences(m_duplex), m_drawnElsewhere, keepGoing);
    if (!error.isEmpty())
        m_device->abandon();
    return error;
}

CheckedFile &PdfDrawing::drawnInto()
{
    return m_drawnElsewhere ? m_elsewhere.file() : *m_device;
}

QString PdfDrawing::failure() const
{
    if (m_drawnElsewhere && m_elsewhere.file().failure() != 0)
        return temporaryFolderError(m_elsewhere.file().failure());
    return m_deviceFailure();
}
