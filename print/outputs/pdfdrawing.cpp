#include "outputs/pdfdrawing.h"

void PdfDrawing::open(const OutputPass &pass, CheckedFile &device,
                      std::function<QString()> deviceFailure)
{
    m_device = &device;
    m_deviceFailure = std::move(deviceFailure);
    m_writer = std::make_unique<RunPdfWriter>(device);
    m_writer->setPageLayout(pass.layout);
    m_writer->setResolution(pass.dotsPerInch);
    m_writer->setTitle(pass.title);
    m_writer->setCreator(pass.title);
    m_writer->setDuplex(pass.duplex);
    m_writer->setPictures(pass.pictures);
}

PrintSheets PdfDrawing::sheets()
{
    PrintSheets sheets = runSheets(*m_writer);
    sheets.failure = [this] {
        return failure();
    };
    sheets.abort = [this] {
        m_device->abandon();
    };
    return sheets;
}

QString PdfDrawing::failure() const
{
    if (m_writer && !m_writer->error().isEmpty())
        return m_writer->error();
    return m_deviceFailure();
}
