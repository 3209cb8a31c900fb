#pragma once

#include "document.h"
#include "numbering.h"
#include "run/placements.h"
#include "run/printplan.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <vector>

class QIODevice;

// A run's manifest, what a print shop hands the customer with the job: one
// CSV row per number printed, with the sheet of paper it is on (numbered as
// the finished stack holds it, the same in every pass), the page
// of the document's run that sheet carries, the copy, the object's name and
// its text exactly as the paper shows it and a scanner reads it (with the
// check digit an EAN-13 or UPC-A symbol adds). Every field is quoted, none
// marked against formulas, so that it imports as text. A two-sided run's
// rows say the side too, each number printed on its own side; a run with a
// data file adds a last column, the row each page came from as the
// spreadsheet numbers it.

QStringList manifestHeader(const Document &doc);

// A run's manifest written as the run goes, a sheet at a time and never
// held whole: the header, then the rows of each sheet once the run has
// drawn it, in pieces of about 64 kB.
class ManifestWriter
{
public:
    ManifestWriter(QIODevice &device, const RunTexts &texts, const PrintPlan &plan);

    // Writes the rows of the sheets the first `drawn` placements of the
    // run's order fill whole, those not yet written. False when a write
    // failed.
    bool writeDrawn(std::int64_t drawn);
    // Writes the rows of every sheet not yet written, asking `keepGoing`
    // before each. False when a write failed or `keepGoing` said stop.
    bool writeRest(const std::function<bool()> &keepGoing = {});

private:
    // Adds the next sheet's rows, handing a piece to the device once it is
    // big enough; false when that write failed.
    bool addSheet();
    bool writePiece();

    QIODevice &m_device;
    const RunTexts m_texts;
    const RunPlacements m_placements;
    // The numbered objects, with the names the manifest gives them.
    std::vector<int> m_numbers;
    QStringList m_names;
    QByteArray m_piece;
    std::int64_t m_nextSheet = 1;
    QList<Placement> m_onNextSheet;
    // The placements on the sheets written.
    std::int64_t m_written = 0;
};

// Writes the manifest of `plan` with `texts` into `device`, header first.
// False when a write failed.
bool writeManifest(QIODevice &device, const RunTexts &texts, const PrintPlan &plan);

// Writes the manifest to the file `name`, whole or not at all. Empty on
// success, else "NAME: why".
QString saveManifest(const QString &name, const RunTexts &texts, const PrintPlan &plan);
