#include "kinds.h"

#include <algorithm>
#include <array>

namespace {

void numberDefaults(PageObject &object)
{
    object.start = 125;
    object.digits = 5;
    object.zeros = 2;
    object.stepPage = 1;
    object.stepLink = 1;
}

void textDefaults(PageObject &object)
{
    object.text = QStringLiteral("Hello!");
}

void noDefaults(PageObject &) {}

constexpr std::array<KindRow, 3> kindRows{{
    {KindNumber, "num", true, true, false, numberDefaults},
    {KindText, "txt", true, false, true, textDefaults},
    {KindPicture, "txt", false, false, false, noDefaults},
}};

} // namespace

const KindRow &kindRow(std::int32_t kind)
{
    const auto found = std::find_if(kindRows.begin(), kindRows.end(),
                                    [kind](const KindRow &row) { return row.kind == kind; });
    return found != kindRows.end() ? *found : kindRows[1];
}

QString defaultName(std::int32_t kind, int index)
{
    return QLatin1String(kindRow(kind).namePrefix) + QString::number(index);
}
