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

// A line two inches long: the commonest shape, a stub's tear line.
void shapeDefaults(PageObject &object)
{
    object.shape = ShapeStyle();
}

constexpr std::array<KindRow, 4> kindRows{{
    {KindNumber, "num", true, true, false, numberDefaults},
    {KindText, "txt", true, false, true, textDefaults},
    {KindPicture, "txt", false, false, false, noDefaults},
    {KindShape, "shp", true, false, false, shapeDefaults},
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
