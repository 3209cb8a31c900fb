#pragma once

#include "document.h"
#include "run/printplan.h"

#include <QString>
#include <QStringList>

class RunTexts;

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

// Writes the manifest of `plan` with `texts` into `device`, header first.
// False when a write failed.
bool writeManifest(QIODevice &device, const RunTexts &texts, const PrintPlan &plan);

// Writes the manifest to the file `name`, whole or not at all. Empty on
// success, else "NAME: why".
QString saveManifest(const QString &name, const RunTexts &texts, const PrintPlan &plan);
