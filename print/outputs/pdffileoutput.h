#pragma once

#include "outputs/outputfile.h"
#include "outputs/pdfdrawing.h"
#include "outputs/runoutput.h"

// A run written to a PDF file, or to standard output or a stream: spooled
// beside the file and put in its place whole.
class PdfFileOutput : public RunOutput
{
public:
    // `document`: the file being printed, which the backs' file beside
    // this one may not replace either.
    explicit PdfFileOutput(OutputTarget target, std::optional<FileIdentity> document = {});

    QString name() const override;
    QString open(const OutputPass &pass) override;
    PrintSheets sheets() override;
    QString deliver(const KeepGoing &keepGoing) override;
    bool waitsForPlace() const override;
    QString putInPlace() override;
    QString deliveryNote() const override;
    std::unique_ptr<RunOutput> forBacks() const override;

private:
    const OutputTarget m_target;
    const std::optional<FileIdentity> m_document;
    OutputFile m_file;
    PdfDrawing m_drawing;
};
