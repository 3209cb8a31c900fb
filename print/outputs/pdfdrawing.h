#pragma once

#include "outputs/checkedfile.h"
#include "outputs/runoutput.h"
#include "pdf/runpdfwriter.h"

#include <QString>

#include <functional>
#include <memory>

// A run's PDF, written by the run writer into a file its output owns, every
// write checked: what a PDF file and a print queue's spool share.
class PdfDrawing
{
public:
    // Draws the pass into `device`; the output's own failure text comes
    // from `deviceFailure`.
    void open(const OutputPass &pass, CheckedFile &device, std::function<QString()> deviceFailure);
    PrintSheets sheets();
    // Why the PDF is not whole, or empty.
    QString failure() const;

private:
    CheckedFile *m_device = nullptr;
    std::function<QString()> m_deviceFailure;
    std::unique_ptr<RunPdfWriter> m_writer;
};
