#include "printplan.h"

#include <limits>

PrintPlan wholeRun(std::int32_t pages)
{
    PrintPlan plan;
    plan.last = pages;
    return plan;
}

std::int64_t sheetCount(const PrintPlan &plan)
{
    if (plan.last < plan.first || plan.copies < 1)
        return 0;
    return (std::int64_t{plan.last} - plan.first + 1) * plan.copies;
}

std::int32_t pageOnSheet(const PrintPlan &plan, std::int64_t sheet)
{
    const std::int64_t index = sheet - 1;
    const std::int64_t pages = std::int64_t{plan.last} - plan.first + 1;
    const std::int64_t offset = plan.collate ? index % pages : index / plan.copies;
    return static_cast<std::int32_t>(plan.lastPageFirst ? plan.last - offset : plan.first + offset);
}

int copyOnSheet(const PrintPlan &plan, std::int64_t sheet)
{
    const std::int64_t index = sheet - 1;
    const std::int64_t pages = std::int64_t{plan.last} - plan.first + 1;
    return static_cast<int>((plan.collate ? index / pages : index % plan.copies) + 1);
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
    // Sheets are counted as the progress counts them.
    if (sheetCount(plan) > std::numeric_limits<std::int32_t>::max())
        return QStringLiteral("%1 copies of %2 pages are more sheets than a run can count")
            .arg(plan.copies)
            .arg(std::int64_t{plan.last} - plan.first + 1);
    return {};
}
