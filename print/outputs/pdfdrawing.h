#pragma once

#include "forms/pdfstamp.h"
#include "outputs/checkedfile.h"
#include "outputs/runoutput.h"
#include "outputs/spool.h"

#include <QPdfWriter>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

// The catalog entries that tell a PDF viewer how to print a run: at its
// size (no viewer shrinks a calibrated run to fit), and on both sides
// turning about the edge `duplex` says.
QByteArray viewerPreferences(Duplex duplex);

// A run's PDF, drawn into a file its output owns: Qt's PDF writer over a
// device whose every write is checked, the stand-ins it draws for PDF
// pages and JPEGs, and the update appended once the pages are drawn that
// puts those in place and tells viewers how to print the run. A file that
// cannot be read back while it is written (a stream) is drawn into a spool
// elsewhere and copied into it at the end.
class PdfDrawing
{
public:
    // Draws the pass into `device`, readable at `readablePath` (empty for a
    // stream); the output's own failure text comes from `deviceFailure`.
    QString open(const OutputPass &pass, CheckedFile &device, const QString &readablePath,
                 std::function<QString()> deviceFailure);
    PrintSheets sheets();
    // Writes out the pages and appends the update: the PDF is whole in the
    // device, neither synced nor put in place. An error text when it failed;
    // the device is then abandoned.
    QString finish(const KeepGoing &keepGoing);

private:
    CheckedFile &drawnInto();
    QString failure() const;

    CheckedFile *m_device = nullptr;
    QString m_readablePath;
    std::function<QString()> m_deviceFailure;
    Spool m_elsewhere;
    bool m_drawnElsewhere = false;
    std::unique_ptr<QPdfWriter> m_writer;
    std::optional<PictureStore> m_pdfPictures;
    PdfStandIns m_standIns;
    Duplex m_duplex = Duplex::Off;
};
