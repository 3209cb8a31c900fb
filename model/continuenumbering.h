#pragma once

#include "document.h"

#include <QList>
#include <QString>

#include <cstdint>

// Moving the numbers on after a run, so that the next run starts where this
// one ended.

// A number and the text the next run's first page will show for it.
struct NextFirstValue
{
    QString name;
    QString text;

    bool operator==(const NextFirstValue &) const = default;
};

// The steps a number takes over a run of `pages` pages when each value
// stays `repeat` pages: a value the run began counts as printed, so a run
// that ends inside a repeat moves on to the next value, ceil(pages /
// repeat). A repeat below 1 counts as 1; no pages take no steps.
std::int32_t stepsAfterRun(std::int32_t pages, int repeat);

// Moves every link head and every unlinked number on by stepsAfterRun of
// the document's Pages times its stepPage, so that the next run's first page
// shows the value that follows the last page's; the members of each link
// then follow their head.
void continueNumbering(Document &doc);

// What each number of `doc`, in table order, shows on the first page.
QList<NextFirstValue> firstValues(const Document &doc);
