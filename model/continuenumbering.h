#pragma once

#include "document.h"

#include <QList>
#include <QString>

class RunData;

// Moving the numbers on after a run, so that the next run starts where this
// one ended.

// A number and the text the next run's first page will show for it.
struct NextFirstValue
{
    QString name;
    QString text;

    bool operator==(const NextFirstValue &) const = default;
};

// Moves every number on past what the document's run of Pages printed of
// it, so that the next run prints no value again. An unlinked number moves
// by the values it printed times its stepPage. A link is one series: when
// each member starts where the member before it ends (a stack), the whole
// link moves past its last member; otherwise every member moves by what it
// printed, its link steps following so that the link stays as it is.
void continueNumbering(Document &doc);
// The same after a run with `data` (made for `doc`): a series counting on
// through the rows moves past the run's pages, the quantities' sum; one that
// restarts at each row or starts where a column says stays as it is, its
// values coming from the rows rather than from the run before.
void continueNumbering(Document &doc, const RunData &data);

// What each number of `doc`, in table order, shows on the first page.
QList<NextFirstValue> firstValues(const Document &doc);
// The same for the next run with `data`.
QList<NextFirstValue> firstValues(const Document &doc, const RunData &data);
