#pragma once

#include "outputs/pdfdrawing.h"
#include "outputs/runoutput.h"
#include "outputs/spool.h"

#include <QByteArray>

#include <utility>
#include <vector>

class QPrinter;

// The options a job on the printer's queue is sent with: the run's paper
// (the sheet's own, where the run brings one, and never scaled to another),
// sides, orientation, grey. The run already holds its copies, its page order
// and its page range, so CUPS is asked for none of them.
std::vector<std::pair<QByteArray, QByteArray>> cupsJobOptions(const QPrinter &printer,
                                                              const OutputPass &pass);

// A run sent to a CUPS print queue: drawn as a PDF into a spool in the
// temporary folder, and sent only once it is whole.
class PrintQueueOutput : public RunOutput
{
public:
    // The queue `printer` names, with its settings; the printer outlives
    // the output.
    explicit PrintQueueOutput(QPrinter &printer);

    QString name() const override;
    bool printsBothSides() const override;
    QString open(const OutputPass &pass) override;
    PrintSheets sheets() override;
    QString deliver(const KeepGoing &keepGoing) override;
    std::unique_ptr<RunOutput> forBacks() const override;

private:
    QPrinter &m_printer;
    OutputPass m_pass;
    Spool m_spool;
    PdfDrawing m_drawing;
};
