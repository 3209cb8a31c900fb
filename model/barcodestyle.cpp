#include "barcodestyle.h"

#include <algorithm>

namespace {

struct SymbologyRow
{
    Symbology symbology;
    QStringView name;
    QStringView title;
};

constexpr SymbologyRow symbologyRows[] = {
    {Symbology::Code128, u"code128", u"Code 128"},
    {Symbology::Code39, u"code39", u"Code 39"},
    {Symbology::Ean13, u"ean13", u"EAN-13"},
    {Symbology::UpcA, u"upca", u"UPC-A"},
    {Symbology::Itf, u"itf", u"Interleaved 2 of 5"},
    {Symbology::Qr, u"qr", u"QR code"},
    {Symbology::DataMatrix, u"datamatrix", u"Data Matrix"},
};

const SymbologyRow &rowOf(Symbology symbology)
{
    return *std::find_if(
        std::begin(symbologyRows), std::end(symbologyRows),
        [symbology](const SymbologyRow &row) { return row.symbology == symbology; });
}

} // namespace

QString symbologyName(Symbology symbology)
{
    return rowOf(symbology).name.toString();
}

std::optional<Symbology> symbologyFromName(QStringView name)
{
    for (const SymbologyRow &row : symbologyRows) {
        if (row.name == name)
            return row.symbology;
    }
    return std::nullopt;
}

QString symbologyTitle(Symbology symbology)
{
    return rowOf(symbology).title.toString();
}

bool isMatrixSymbology(Symbology symbology)
{
    return symbology == Symbology::Qr || symbology == Symbology::DataMatrix;
}
