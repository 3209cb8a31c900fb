#pragma once

#include "file/unknownkeys.h"

#include <QString>
#include <QStringView>

#include <array>
#include <optional>

// The symbologies a number can be shown in instead of its digits.
enum class Symbology
{
    Code128,
    Code39,
    Ean13,
    UpcA,
    Itf,
    Qr,
    DataMatrix
};

inline constexpr std::array allSymbologies{
    Symbology::Code128, Symbology::Code39, Symbology::Ean13,     Symbology::UpcA,
    Symbology::Itf,     Symbology::Qr,     Symbology::DataMatrix};

// The name kept in documents, e.g. "code128".
QString symbologyName(Symbology symbology);
// The symbology stored under `name`; nothing for a name it does not know.
std::optional<Symbology> symbologyFromName(QStringView name);
// The name shown to the user, e.g. "Code 128".
QString symbologyTitle(Symbology symbology);
// QR code and Data Matrix: square modules, no bar height, no text line.
bool isMatrixSymbology(Symbology symbology);
// How many digits EAN-13 (12) and UPC-A (11) take before their check
// digit, which the symbol adds when it is not given; 0 for the others.
qsizetype digitsBeforeCheck(Symbology symbology);
// The text a scanner reads from the symbol of `text`, and its text line
// shows: `text` itself, with the check digit the symbol adds to digits
// given without it.
QString scannedText(Symbology symbology, const QString &text);

// How a number shown as a barcode looks. Lengths are in page units (1/72 inch).
struct BarcodeStyle
{
    static constexpr double smallestLength = 0.1;
    static constexpr double largestLength = 1000;

    Symbology symbology = Symbology::Code128;
    double barHeight = 36;  // not used by the matrix symbologies
    double moduleWidth = 1; // the narrowest bar, or the side of a square module
    bool showText = true;   // the text line under the bars; not used by the matrix symbologies
    // What a document said of the barcode that this version does not know.
    // Initialized, so that designated initializers may leave it out.
    UnknownKeys unknownKeys{};

    bool operator==(const BarcodeStyle &) const = default;
};
