#pragma once

// PDF files made with libqpdf to cost their reader more than they weigh.
// Tests that include this link qpdf::libqpdf and define
// POINTERHOLDER_TRANSITION=4.

#include <QByteArray>
#include <QList>

#include <qpdf/QPDF.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>
#include <qpdf/QPDFPageObjectHelper.hh>
#include <qpdf/QPDFWriter.hh>

#include <functional>
#include <memory>
#include <string>
#include <vector>

// A PDF of one A6 page whose content and resources `fill` gives, written
// with its streams compressed and, with `password`, locked by it.
inline QByteArray craftedPdf(const std::function<void(QPDF &, QPDFObjectHandle &page)> &fill,
                             const char *password = nullptr)
{
    QPDF pdf;
    pdf.emptyPDF();
    QPDFObjectHandle page = pdf.makeIndirectObject(QPDFObjectHandle::parse(
        "<< /Type /Page /MediaBox [0 0 297 420] /Resources << /XObject << >> >> >>"));
    page.replaceKey("/Contents", QPDFObjectHandle::newStream(&pdf, "0 0 1 rg 10 10 50 50 re f\n"));
    fill(pdf, page);
    QPDFPageDocumentHelper(pdf).addPage(QPDFPageObjectHelper(page), false);
    QPDFWriter writer(pdf);
    writer.setOutputMemory();
    if (password)
        writer.setR6EncryptionParameters(password, password, true, true, true, true, true, true,
                                         qpdf_r3p_full, true);
    writer.write();
    const std::shared_ptr<Buffer> buffer = writer.getBufferSharedPointer();
    return QByteArray(reinterpret_cast<const char *>(buffer->getBuffer()),
                      qsizetype(buffer->getSize()));
}

// A page whose content is `bytes` long once inflated: a few dozen
// kilobytes on disk for each 32 MB.
inline QByteArray pdfOfContent(std::size_t bytes)
{
    return craftedPdf([bytes](QPDF &pdf, QPDFObjectHandle &page) {
        std::string content;
        content.reserve(bytes);
        while (content.size() + 4 <= bytes)
            content += "q Q\n";
        page.replaceKey("/Contents", QPDFObjectHandle::newStream(&pdf, content));
    });
}

// A page that draws a form that draws the next `fanout` times, `levels` deep:
// a few forms, drawn fanout^levels times.
inline QByteArray pdfOfNestedForms(int levels, int fanout)
{
    return craftedPdf([=](QPDF &pdf, QPDFObjectHandle &page) {
        QPDFObjectHandle inner;
        for (int level = 0; level < levels; ++level) {
            std::string content = "0 0 1 rg 0 0 1 1 re f\n";
            QPDFObjectHandle resources = QPDFObjectHandle::newDictionary();
            if (inner.isInitialized()) {
                content.clear();
                for (int i = 0; i < fanout; ++i)
                    content += "q 0.9 0 0 0.9 0.05 0.05 cm /Inner Do Q\n";
                resources = QPDFObjectHandle::parse("<< /XObject << >> >>");
                resources.getKey("/XObject").replaceKey("/Inner", inner);
            }
            QPDFObjectHandle form = QPDFObjectHandle::newStream(&pdf, content);
            form.replaceDict(
                QPDFObjectHandle::parse("<< /Type /XObject /Subtype /Form /BBox [0 0 1 1] >>"));
            form.getDict().replaceKey("/Resources", resources);
            inner = form;
        }
        page.getKey("/Resources").getKey("/XObject").replaceKey("/Outer", inner);
        page.replaceKey("/Contents",
                        QPDFObjectHandle::newStream(&pdf, "q 200 0 0 200 40 40 cm /Outer Do Q\n"));
    });
}

// A page that draws a form that draws itself.
inline QByteArray pdfOfFormInItself()
{
    return craftedPdf([](QPDF &pdf, QPDFObjectHandle &page) {
        QPDFObjectHandle form = QPDFObjectHandle::newStream(&pdf, "/Self Do\n");
        form.replaceDict(
            QPDFObjectHandle::parse("<< /Type /XObject /Subtype /Form /BBox [0 0 1 1] >>"));
        form.getDict().replaceKey("/Resources", QPDFObjectHandle::parse("<< /XObject << >> >>"));
        form.getDict().getKey("/Resources").getKey("/XObject").replaceKey("/Self", form);
        page.getKey("/Resources").getKey("/XObject").replaceKey("/Self", form);
        page.replaceKey("/Contents", QPDFObjectHandle::newStream(&pdf, "/Self Do\n"));
    });
}

// A page that draws an image of `width` by `height` grey pixels.
inline QByteArray pdfOfImage(int width, int height)
{
    return craftedPdf([=](QPDF &pdf, QPDFObjectHandle &page) {
        QPDFObjectHandle image = QPDFObjectHandle::newStream(
            &pdf, std::string(std::size_t(width) * std::size_t(height), '\x80'));
        image.replaceDict(QPDFObjectHandle::parse(
            "<< /Type /XObject /Subtype /Image /ColorSpace /DeviceGray /BitsPerComponent 8 >>"));
        image.getDict().replaceKey("/Width", QPDFObjectHandle::newInteger(width));
        image.getDict().replaceKey("/Height", QPDFObjectHandle::newInteger(height));
        page.getKey("/Resources").getKey("/XObject").replaceKey("/Picture", image);
        page.replaceKey("/Contents", QPDFObjectHandle::newStream(
                                         &pdf, "q 200 0 0 200 40 40 cm /Picture Do Q\n"));
    });
}

// The ordinary page, locked by a password.
inline QByteArray lockedPdf()
{
    return craftedPdf([](QPDF &, QPDFObjectHandle &) {}, "secret");
}

// The pages of `pdfs`, one after the other, in one file.
inline QByteArray joinedPdf(const QList<QByteArray> &pdfs)
{
    QPDF joined;
    joined.emptyPDF();
    // Pages are copied from their files as the joined one is written.
    std::vector<std::unique_ptr<QPDF>> parts;
    for (const QByteArray &pdf : pdfs) {
        parts.push_back(std::make_unique<QPDF>());
        parts.back()->processMemoryFile("part", pdf.constData(), std::size_t(pdf.size()));
        for (QPDFPageObjectHelper &page : QPDFPageDocumentHelper(*parts.back()).getAllPages())
            QPDFPageDocumentHelper(joined).addPage(page, false);
    }
    QPDFWriter writer(joined);
    writer.setOutputMemory();
    writer.write();
    const std::shared_ptr<Buffer> buffer = writer.getBufferSharedPointer();
    return QByteArray(reinterpret_cast<const char *>(buffer->getBuffer()),
                      qsizetype(buffer->getSize()));
}
