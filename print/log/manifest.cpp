#include "log/manifest.h"

#include "kinds.h"
#include "log/csv.h"
#include "numbering.h"
#include "objecttable.h"
#include "outputs/outputfile.h"
#include "run/placements.h"
#include "rundata.h"

#include <QIODevice>

#include <vector>

namespace {

// Rows go out in pieces of about this size.
constexpr qsizetype pieceSize = 1 << 16;

// Every field quoted and none marked: a spreadsheet that imports the columns
// as text shows each exactly as printed.
QByteArray manifestRecord(const QStringList &fields)
{
    return csvRecord(fields, CsvQuotes::Always);
}

// What the paper shows of a number's text: a barcode's symbol and its text
// line carry the check digit it adds.
QString printedText(const PageObject &object, const QString &text)
{
    return object.format.barcode ? scannedText(object.format.barcode->symbology, text) : text;
}

} // namespace

QStringList manifestHeader(const Document &doc)
{
    QStringList header{QStringLiteral("Sheet"), QStringLiteral("Page"), QStringLiteral("Copy"),
                       QStringLiteral("Object"), QStringLiteral("Text")};
    // Only a two-sided run says which side a number is on: other manifests
    // stay as they were.
    if (doc.duplex != Duplex::Off)
        header.append(QStringLiteral("Side"));
    return header;
}

bool writeManifest(QIODevice &device, const RunTexts &texts, const PrintPlan &plan)
{
    const Document &doc = texts.document();
    // Which data row each page came from, for a run with a data file.
    const DataTable *table = texts.data() ? texts.data()->table() : nullptr;
    const RunRows *rows = table ? &texts.data()->rows() : nullptr;
    const bool twoSided = doc.duplex != Duplex::Off;
    std::vector<int> numbers;
    QStringList names;
    for (int i = 0; i < doc.count(); ++i) {
        if (!kindRow(doc.objects[i].kind).numbered)
            continue;
        numbers.push_back(i);
        names.append(shownName(doc, i));
    }
    QStringList header = manifestHeader(doc);
    if (rows)
        header << QStringLiteral("Row");
    QByteArray piece = manifestRecord(header);
    const RunPlacements placements(doc, plan, {});
    for (std::int64_t sheet = 1; sheet <= placements.sheetCount(); ++sheet) {
        const QString sheetText = QString::number(placements.paperSheet(sheet));
        for (const Placement &placed : placements.onSheet(sheet)) {
            const QString pageText = QString::number(placed.page);
            const QString copyText = QString::number(placed.copy);
            const QString sideText =
                placed.side == Side::Front ? QStringLiteral("front") : QStringLiteral("back");
            const QString rowText =
                rows ? QString::number(table->sheetRow(rows->placeOf(placed.page).row)) : QString();
            for (std::size_t n = 0; n < numbers.size(); ++n) {
                const int index = numbers[n];
                if (sideOf(doc, doc.objects[index]) != placed.side)
                    continue;
                QStringList record{sheetText, pageText, copyText, names[static_cast<qsizetype>(n)],
                                   printedText(doc.objects[index], texts.text(index, placed.page))};
                if (twoSided)
                    record << sideText;
                if (rows)
                    record << rowText;
                piece += manifestRecord(record);
            }
        }
        if (piece.size() >= pieceSize) {
            if (device.write(piece) != piece.size())
                return false;
            piece.clear();
        }
    }
    return device.write(piece) == piece.size();
}

QString saveManifest(const QString &name, const RunTexts &texts, const PrintPlan &plan)
{
    OutputFile file(resolveOutput(name));
    QString error = file.open();
    if (!error.isEmpty())
        return error;
    if (!writeManifest(file.device(), texts, plan))
        return file.failure();
    return file.commit();
}
