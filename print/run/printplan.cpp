#include "run/printplan.h"

#include <limits>

PrintPlan wholeRun(std::int32_t pages)
{
    PrintPlan plan;
    plan.last = pages;
    return plan;
}

bool printsSide(const Document &doc, const PrintPlan &plan, Side side)
{
    if (doc.duplex == Duplex::Off)
        return side == Side::Front;
    switch (plan.sides) {
    case PrintedSides::Front:
        return side == Side::Front;
    case PrintedSides::Back:
        return side == Side::Back;
    case PrintedSides::Both:
        break;
    }
    return true;
}

QString planError(const PrintPlan &plan, std::int32_t pages)
{
    if (plan.first < 1 || plan.last < plan.first || plan.last > pages)
        return QStringLiteral("Pages %1 to %2 are not in the run of %3 pages")
            .arg(plan.first)
            .arg(plan.last)
            .arg(pages);
    if (plan.copies < 1 || plan.copies > PrintPlan::maxCopies)
        return QStringLiteral("Copies must be from 1 to %1").arg(PrintPlan::maxCopies);
    // Pages and labels are counted as the progress counts them.
    if ((std::int64_t{plan.last} - plan.first + 1) * plan.copies >
        std::numeric_limits<std::int32_t>::max())
        return QStringLiteral("%1 copies of %2 pages are more sheets than a run can count")
            .arg(plan.copies)
            .arg(std::int64_t{plan.last} - plan.first + 1);
    return {};
}
