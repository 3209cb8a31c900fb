#pragma once

#include "document.h"

#include <QList>
#include <QString>

#include <map>
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

// The least and the greatest value a number printed or holds, as a shared
// print log knows them from every machine.
struct PrintedExtremes
{
    std::int64_t lowest = 0;
    std::int64_t highest = 0;

    bool operator==(const PrintedExtremes &) const = default;
};

// Moves every number past what any machine printed or holds of it
// (`printed`, by the number's name): a series (a link, or a number alone)
// moves as one, so that each member's first value lies a step past the
// furthest value printed of it, up or down as it counts; a series none of
// whose members printed anything stays. Whether anything moved.
bool continuePast(Document &doc, const std::map<QString, PrintedExtremes> &printed);

// What each number of `doc`, in table order, shows on the first page.
QList<NextFirstValue> firstValues(const Document &doc);
// The same for the next run with `data`.
QList<NextFirstValue> firstValues(const Document &doc, const RunData &data);
