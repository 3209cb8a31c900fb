#include "log/manifest.h"

#include "kinds.h"
#include "log/csv.h"
#include "numbering.h"
#include "objecttable.h"
#include "outputs/outputfile.h"
#include "rundata.h"

#include <QIODevice>

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

ManifestWriter::ManifestWriter(QIODevice &device, const RunTexts &texts, const PrintPlan &plan)
    : m_device(device), m_texts(texts), m_placements(texts.document(), plan, {})
{
    const Document &doc = texts.document();
    for (int i = 0; i < doc.count(); ++i) {
        if (!kindRow(doc.objects[i].kind).numbered)
            continue;
        m_numbers.push_back(i);
        m_names.append(shownName(doc, i));
    }
    QStringList header = manifestHeader(doc);
    // A run with a data file says which data row each page came from.
    if (texts.data() && texts.data()->table())
        header << QStringLiteral("Row");
    m_piece = manifestRecord(header);
    if (m_placements.sheetCount() > 0)
        m_onNextSheet = m_placements.onSheet(1);
}

bool ManifestWriter::writeDrawn(std::int64_t drawn)
{
    while (m_nextSheet <= m_placements.sheetCount() && m_written + m_onNextSheet.size() <= drawn) {
        if (!addSheet())
            return false;
    }
    return true;
}

bool ManifestWriter::writeRest(const std::function<bool()> &keepGoing)
{
    while (m_nextSheet <= m_placements.sheetCount()) {
        if ((keepGoing && !keepGoing()) || !addSheet())
            return false;
    }
    return writePiece();
}

bool ManifestWriter::addSheet()
{
    const Document &doc = m_texts.document();
    const DataTable *table = m_texts.data() ? m_texts.data()->table() : nullptr;
    const bool twoSided = doc.duplex != Duplex::Off;
    const QString sheetText = QString::number(m_placements.paperSheet(m_nextSheet));
    for (const Placement &placed : std::as_const(m_onNextSheet)) {
        const QString pageText = QString::number(placed.page);
        const QString copyText = QString::number(placed.copy);
        const QString sideText =
            placed.side == Side::Front ? QStringLiteral("front") : QStringLiteral("back");
        const QString rowText =
            table
                ? QString::number(table->sheetRow(m_texts.data()->rows().placeOf(placed.page).row))
                : QString();
        for (std::size_t n = 0; n < m_numbers.size(); ++n) {
            const int index = m_numbers[n];
            if (sideOf(doc, doc.objects[index]) != placed.side)
                continue;
            QStringList record{sheetText, pageText, copyText, m_names[static_cast<qsizetype>(n)],
                               printedText(doc.objects[index], m_texts.text(index, placed.page))};
            if (twoSided)
                record << sideText;
            if (table)
                record << rowText;
            m_piece += manifestRecord(record);
        }
    }
    m_written += m_onNextSheet.size();
    ++m_nextSheet;
    m_onNextSheet = m_nextSheet <= m_placements.sheetCount() ? m_placements.onSheet(m_nextSheet)
                                                             : QList<Placement>();
    return m_piece.size() < pieceSize || writePiece();
}

bool ManifestWriter::writePiece()
{
    const bool written = m_device.write(m_piece) == m_piece.size();
    m_piece.clear();
    return written;
}

bool writeManifest(QIODevice &device, const RunTexts &texts, const PrintPlan &plan)
{
    return ManifestWriter(device, texts, plan).writeRest();
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
