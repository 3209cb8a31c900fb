// Prints, for every symbology, how many texts per second are checked, encoded,
// and encoded and drawn into a PDF at 360 dpi, twenty symbols to a page, each
// value new as in a print run; and what 200,000 symbols (20 a page on 10,000
// pages) would take at that rate. Rates are per processor second, since other
// work on the machine stretches the clock.

#include "barcode.h"

#include <QGuiApplication>
#include <QPainter>
#include <QPdfWriter>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <functional>

namespace {

constexpr int checkRuns = 200000;
constexpr int encodeRuns = 20000;
constexpr int drawRuns = 10000;
constexpr int printerResolution = 360;
constexpr int symbolsPerPage = 20;
constexpr double runSymbols = 200000;

// The formatted number of page `value`: prefix, digits, suffix as a number object gives it.
QString textOf(Symbology symbology, int value)
{
    const QString digits = QStringLiteral("%1").arg(value % 1000000, 6, 10, QLatin1Char('0'));
    switch (symbology) {
    case Symbology::Code128:
    case Symbology::Code39:
        return QStringLiteral("TKT-") + digits;
    case Symbology::Ean13:
        return QStringLiteral("400638") + digits;
    case Symbology::UpcA:
        return QStringLiteral("03600") + digits;
    case Symbology::Itf:
        return QStringLiteral("00") + digits;
    case Symbology::Qr:
        return QStringLiteral("Ticket ") + digits + QStringLiteral(", row B");
    case Symbology::DataMatrix:
        return QStringLiteral("Coupon ") + digits;
    }
    return digits;
}

// Every value the benchmark forms is one its symbology takes.
void mustBeTaken(const std::optional<BarcodeRefusal> &refusal)
{
    if (refusal) {
        std::fprintf(stderr, "bench_barcode: %s\n", qPrintable(refusal->onPage(1)));
        std::exit(1);
    }
}

// Runs `step` with 0 to runs - 1; the steps per processor second.
double perSecond(int runs, const std::function<void(int)> &step)
{
    const std::clock_t start = std::clock();
    for (int i = 0; i < runs; ++i)
        step(i);
    const double seconds = double(std::clock() - start) / CLOCKS_PER_SEC;
    return seconds > 0 ? runs / seconds : 0;
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QTemporaryDir dir;
    if (!dir.isValid()) {
        std::fprintf(stderr, "bench_barcode: no temporary folder\n");
        return 1;
    }

    std::printf(
        "Symbols at 1 pt a module, bars 36 pt high with their text; a new value each time\n");
    std::printf("%-20s %10s %10s %14s %8s %16s\n", "symbology", "checks/s", "encodes/s",
                "encode+draw/s", "shapes", "200,000 symbols");
    const qreal scale = printerResolution / 72.0;
    for (const Symbology symbology : allSymbologies) {
        const BarcodeStyle style{symbology, 36, 1, true};
        const double checks = perSecond(checkRuns, [symbology](int i) {
            mustBeTaken(barcodeRefusal(symbology, textOf(symbology, i)));
        });
        const double encodes = perSecond(encodeRuns, [&style](int i) {
            const EncodedBarcode barcode = encodeBarcode(style, textOf(style.symbology, i));
            mustBeTaken(barcode.refusal);
        });

        QPdfWriter writer(dir.filePath(symbologyName(symbology) + QStringLiteral(".pdf")));
        writer.setResolution(printerResolution);
        QPainter painter(&writer);
        qsizetype shapes = 0;
        const double draws = perSecond(drawRuns, [&](int i) {
            if (i > 0 && i % symbolsPerPage == 0)
                writer.newPage();
            const EncodedBarcode barcode = encodeBarcode(style, textOf(symbology, i));
            const int slot = i % symbolsPerPage;
            const QPointF origin((36 + (slot % 4) * 130) * scale, (36 + (slot / 4) * 140) * scale);
            drawBarcode(painter, barcode.symbol, origin, scale, Qt::black, QStringLiteral("Arial"));
            shapes = barcode.symbol.bars.size();
        });
        painter.end();

        std::printf("%-20s %10.0f %10.0f %14.0f %8lld %14.1f s\n",
                    qPrintable(symbologyTitle(symbology)), checks, encodes, draws,
                    static_cast<long long>(shapes), runSymbols / draws);
    }
    return 0;
}
