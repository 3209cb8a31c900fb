#pragma once

#include "document.h"
#include "run/calibration.h"
#include "run/runbackground.h"

#include <QSizeF>
#include <QString>

#include <cstdint>
#include <optional>

// Which sides of a two-sided document a run prints: both, or one of them,
// for a printer that prints one side (the fronts, then the backs on a
// second pass through it).
enum class PrintedSides
{
    Both,
    Front,
    Back,
};

// What one run prints: pages first..last of the document's run, each page
// with the values it has in the whole run, so that a reprint of page 37 is
// page 37 again; each page `copies` times; on the calibration of the
// printer it goes to.
struct PrintPlan
{
    static constexpr int maxCopies = 999;

    std::int32_t first = 1;
    std::int32_t last = 1;
    int copies = 1;
    // Collated copies print in sets, 1, 2, 3, 1, 2, 3; uncollated ones page
    // by page, 1, 1, 2, 2, 3, 3, as carbonless sets are put together.
    bool collate = true;
    Calibration calibration;
    // The last sheet first, as the print dialog's Reverse asks: the sheets
    // come out backwards, each with what it carries in the run's order.
    bool lastPageFirst = false;
    std::optional<RunBackground> background = std::nullopt;
    // On a sheet of labels, the cell of the first sheet the run starts in,
    // from 1; the cells before it stay blank.
    int firstCell = 1;
    // The backs', for a run on both sides: a back has an error of its own.
    Calibration backCalibration = {};
    PrintedSides sides = PrintedSides::Both;
    // The backs of a second pass last sheet first, for a printer that
    // stacks its output face up.
    bool backsReversed = false;

    bool operator==(const PrintPlan &) const = default;
};

// Every page of a run of `pages` pages, once, as the paper takes it.
PrintPlan wholeRun(std::int32_t pages);

// Whether the run of `plan` of `doc` prints what is on side `side` of the
// paper: a pass of one side prints nothing of the other, and a one-sided
// document prints its fronts alone.
bool printsSide(const Document &doc, const PrintPlan &plan, Side side);

// Why the plan cannot print from a run of `pages` pages (a range outside
// it, copies out of bounds, more sheets than a run counts), or an empty
// text.
QString planError(const PrintPlan &plan, std::int32_t pages);
