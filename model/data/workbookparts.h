#pragma once

#include "data/boundedxml.h"
#include "data/cellgrid.h"
#include "data/datalimits.h"

#include <QString>

#include <memory>

class SpreadsheetZip;

// Opens the parts of a workbook's archive, for either workbook reader, each
// as XML read a piece at a time within the workbook's bounds: what all its
// parts inflate to together, counted as they are read, and how deep their
// elements nest. A part that is encrypted, or named outside the archive, is
// refused. The first problem met is kept in the reader's `problem`; once it
// is set, no part opens.
class WorkbookParts
{
public:
    enum class Need
    {
        Optional,
        Required
    };

    WorkbookParts(SpreadsheetZip &zip, const DataLimits &limits, DataProblem &problem);

    bool contains(const QString &part) const;
    // The part as XML; null when the archive lacks it (a problem when it is
    // required) or a problem was met.
    std::unique_ptr<BoundedXml> open(const QString &part, Need need);
    // Whether the part read through `xml` was read whole; else the problem
    // says why.
    bool finished(const BoundedXml &xml);

private:
    SpreadsheetZip &m_zip;
    const DataLimits &m_limits;
    DataProblem &m_problem;
};

// Whether cells holding `characters` of text, two bytes each, hold more
// than a workbook's parts may inflate to: each cell is held on its own,
// where the workbook may share one string among many cells.
bool holdsTooMuchText(qsizetype characters, const DataLimits &limits);
// What such a workbook is refused with.
QString tooMuchText(const DataLimits &limits);
