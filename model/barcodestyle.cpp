#include "barcodestyle.h"

#include "numberformat.h"

#include <algorithm>

namespace {

// What the document knows of each symbology, one row each; the renderer
// keeps its own row of how each is drawn.
struct SymbologyRow
{
    Symbology symbology;
    QStringView name;
    QStringView title;
    // Square modules: no bar height, no text line.
    bool matrix;
    // The digits before a check digit of weights 3-1 that the symbol adds.
    qsizetype digitsBeforeCheck = 0;
};

constexpr SymbologyRow symbologyRows[] = {
    {Symbology::Code128, u"code128", u"Code 128", false},
    {Symbology::Code39, u"code39", u"Code 39", false},
    {Symbology::Ean13, u"ean13", u"EAN-13", false, 12},
    {Symbology::UpcA, u"upca", u"UPC-A", false, 11},
    {Symbology::Itf, u"itf", u"Interleaved 2 of 5", false},
    {Symbology::Qr, u"qr", u"QR code", true},
    {Symbology::DataMatrix, u"datamatrix", u"Data Matrix", true},
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
    return rowOf(symbology).matrix;
}

qsizetype digitsBeforeCheck(Symbology symbology)
{
    return rowOf(symbology).digitsBeforeCheck;
}

QString scannedText(Symbology symbology, const QString &text)
{
    const qsizetype digits = digitsBeforeCheck(symbology);
    if (digits == 0 || text.size() != digits)
        return text;
    return text + checkCharacter(text, CheckDigit::Mod10Weights31);
}
