#include "data/xlsxreader.h"

#include "data/boundedxml.h"
#include "data/cellformat.h"
#include "data/spreadsheetzip.h"
#include "data/workbookparts.h"

#include <QDir>
#include <QHash>
#include <QRegularExpression>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <memory>
#include <optional>

namespace {

const QString workbookOfConvention = QStringLiteral("xl/workbook.xml");

struct Relationship
{
    QString id;
    QString type;
    // The part it names, in the archive.
    QString target;
};

struct SheetEntry
{
    QString name;
    QString relationship;
    // Hidden from the user, as a sheet of lookups often is.
    bool hidden = false;
};

// `target` of a relationship of the part `source`, as a name in the archive.
QString resolvedTarget(const QString &source, QString target)
{
    if (target.startsWith(u'/'))
        return QDir::cleanPath(target.sliced(1));
    const qsizetype slash = source.lastIndexOf(u'/');
    return QDir::cleanPath(source.first(slash + 1) + target);
}

QString relationshipsOf(const QString &part)
{
    const qsizetype slash = part.lastIndexOf(u'/');
    return part.first(slash + 1) + QStringLiteral("_rels/") + part.sliced(slash + 1) +
           QStringLiteral(".rels");
}

bool typeIs(const QString &type, QLatin1StringView kind)
{
    return type.endsWith(u'/' + kind);
}

// The column of a reference such as "AB12", from 0; nothing when it has no
// letters.
std::optional<qsizetype> columnOf(QStringView reference)
{
    qsizetype column = 0;
    qsizetype letters = 0;
    for (; letters < reference.size() && reference[letters].isLetter(); ++letters) {
        const char16_t c = reference[letters].toUpper().unicode();
        if (c < u'A' || c > u'Z' || letters == 4)
            return std::nullopt;
        column = column * 26 + (c - u'A' + 1);
    }
    return letters == 0 ? std::nullopt : std::optional(column - 1);
}

// A string's characters that XML cannot hold are written "_x000D_"; a
// literal "_x" as "_x005F_x".
QString withEscapesRead(QString text)
{
    if (!text.contains(QLatin1StringView("_x")))
        return text;
    static const QRegularExpression escape(QStringLiteral("_x([0-9A-Fa-f]{4})_"));
    QString read;
    qsizetype from = 0;
    for (QRegularExpressionMatchIterator it = escape.globalMatch(text); it.hasNext();) {
        const QRegularExpressionMatch match = it.next();
        read += QStringView(text).sliced(from, match.capturedStart() - from);
        read += QChar(char16_t(match.capturedView(1).toUShort(nullptr, 16)));
        from = match.capturedEnd();
    }
    read += QStringView(text).sliced(from);
    return read;
}

// A cell's number, read as XML writes it; a spreadsheet has millions.
std::optional<double> numberOf(QStringView text)
{
    char latin1[64];
    if (text.size() >= qsizetype(sizeof latin1))
        return std::nullopt;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i].unicode() >= 0x80)
            return std::nullopt;
        latin1[i] = char(text[i].unicode());
    }
    double value = 0;
    const auto [end, error] = std::from_chars(latin1, latin1 + text.size(), value);
    if (error != std::errc() || end != latin1 + text.size())
        return std::nullopt;
    return value;
}

class XlsxReader
{
public:
    XlsxReader(SpreadsheetZip &zip, const DataLimits &limits)
        : m_limits(limits), m_parts(zip, limits, m_grid.problem)
    {
    }

    CellGrid read(const QString &sheetName)
    {
        QString workbook = workbookOfConvention;
        for (const Relationship &relationship : readRelationships(QStringLiteral("_rels/.rels"))) {
            if (typeIs(relationship.type, QLatin1StringView("officeDocument")))
                workbook = relationship.target;
        }
        const QList<SheetEntry> sheets = readWorkbook(workbook);
        const QHash<QString, Relationship> related = relationshipsById(workbook);
        if (!m_grid.problem.isEmpty())
            return m_grid;
        for (const SheetEntry &sheet : sheets)
            m_grid.sheets.append(sheet.name);
        if (sheets.isEmpty())
            return failed(QStringLiteral("the workbook has no sheets"));

        // The first sheet the user sees, unless another is named.
        const auto shown = std::find_if(sheets.cbegin(), sheets.cend(),
                                        [](const SheetEntry &sheet) { return !sheet.hidden; });
        const SheetEntry *chosen = shown == sheets.cend() ? &sheets.front() : &*shown;
        if (!sheetName.isEmpty()) {
            chosen = nullptr;
            for (const SheetEntry &sheet : sheets) {
                if (sheet.name == sheetName)
                    chosen = &sheet;
            }
            if (!chosen) {
                return failed(QStringLiteral("the workbook has no sheet \"%1\"; its sheets are %2")
                                  .arg(sheetName, m_grid.sheets.join(QStringLiteral(", "))));
            }
        }
        const Relationship sheetPart = related.value(chosen->relationship);
        if (!typeIs(sheetPart.type, QLatin1StringView("worksheet")))
            return failed(QStringLiteral("sheet \"%1\" holds no cells").arg(chosen->name));
        for (const Relationship &relationship : related) {
            if (typeIs(relationship.type, QLatin1StringView("sharedStrings")))
                readSharedStrings(relationship.target);
            else if (typeIs(relationship.type, QLatin1StringView("styles")))
                readStyles(relationship.target);
        }
        readSheet(sheetPart.target);
        return m_grid;
    }

private:
    CellGrid failed(const QString &text)
    {
        m_grid.problem.text = text;
        m_grid.rows = CellRows();
        return m_grid;
    }

    bool problemAt(const QString &text, qsizetype row, qsizetype column = -1)
    {
        m_grid.problem = {text, row, column};
        return false;
    }

    QList<Relationship> readRelationships(const QString &part)
    {
        QList<Relationship> relationships;
        const std::unique_ptr<BoundedXml> xml = m_parts.open(part, WorkbookParts::Need::Optional);
        if (!xml)
            return relationships;
        const QString source = part.first(part.indexOf(QLatin1StringView("_rels/"))) +
                               part.sliced(part.lastIndexOf(u'/') + 1).chopped(5);
        while (xml->readNextStartElement()) {
            while (xml->readNextStartElement()) {
                const QXmlStreamAttributes attributes = xml->attributes();
                // A link to another file is never followed.
                if (xml->name() == u"Relationship" &&
                    attributes.value(QLatin1StringView("TargetMode")) != u"External") {
                    relationships.append(
                        {attributes.value(QLatin1StringView("Id")).toString(),
                         attributes.value(QLatin1StringView("Type")).toString(),
                         resolvedTarget(source,
                                        attributes.value(QLatin1StringView("Target")).toString())});
                }
                xml->skipCurrentElement();
            }
        }
        m_parts.finished(*xml);
        return relationships;
    }

    QHash<QString, Relationship> relationshipsById(const QString &part)
    {
        QHash<QString, Relationship> byId;
        for (const Relationship &relationship : readRelationships(relationshipsOf(part)))
            byId.insert(relationship.id, relationship);
        return byId;
    }

    QList<SheetEntry> readWorkbook(const QString &part)
    {
        QList<SheetEntry> sheets;
        const std::unique_ptr<BoundedXml> xml = m_parts.open(part, WorkbookParts::Need::Required);
        if (!xml)
            return sheets;
        while (xml->readNextStartElement()) {
            while (xml->readNextStartElement()) {
                if (xml->name() == u"workbookPr") {
                    const QStringView date1904 =
                        xml->attributes().value(QLatin1StringView("date1904"));
                    m_date1904 = date1904 == u"1" || date1904 == u"true";
                    xml->skipCurrentElement();
                } else if (xml->name() == u"sheets") {
                    while (xml->readNextStartElement()) {
                        SheetEntry sheet;
                        for (const QXmlStreamAttribute &attribute : xml->attributes()) {
                            if (attribute.name() == u"name" && attribute.namespaceUri().isEmpty())
                                sheet.name = attribute.value().toString();
                            else if (attribute.name() == u"id" &&
                                     !attribute.namespaceUri().isEmpty())
                                sheet.relationship = attribute.value().toString();
                            else if (attribute.name() == u"state")
                                sheet.hidden = attribute.value() != u"visible";
                        }
                        sheets.append(sheet);
                        xml->skipCurrentElement();
                    }
                } else {
                    xml->skipCurrentElement();
                }
            }
        }
        m_parts.finished(*xml);
        return sheets;
    }

    void readStyles(const QString &part)
    {
        const std::unique_ptr<BoundedXml> xml = m_parts.open(part, WorkbookParts::Need::Optional);
        if (!xml)
            return;
        QHash<int, QString> custom;
        QList<int> formatIds;
        while (xml->readNextStartElement()) {
            while (xml->readNextStartElement()) {
                if (xml->name() == u"numFmts") {
                    while (xml->readNextStartElement()) {
                        const QXmlStreamAttributes attributes = xml->attributes();
                        const int id = attributes.value(QLatin1StringView("numFmtId")).toInt();
                        const QStringView code = attributes.value(QLatin1StringView("formatCode"));
                        if (code.size() > m_limits.formatCharacters) {
                            problemAt(QStringLiteral("number format %1 in %2 is longer than %3 "
                                                     "characters")
                                          .arg(id)
                                          .arg(part)
                                          .arg(m_limits.formatCharacters),
                                      0);
                            return;
                        }
                        custom.insert(id, code.toString());
                        xml->skipCurrentElement();
                    }
                } else if (xml->name() == u"cellXfs") {
                    while (xml->readNextStartElement()) {
                        formatIds.append(
                            xml->attributes().value(QLatin1StringView("numFmtId")).toInt());
                        xml->skipCurrentElement();
                    }
                } else {
                    xml->skipCurrentElement();
                }
            }
        }
        if (!m_parts.finished(*xml))
            return;
        // Styles by the thousand may share a few formats: each is read once.
        QHash<QString, CellNumberFormat> formats;
        for (const int id : std::as_const(formatIds)) {
            const QString code = custom.contains(id) ? custom.value(id) : builtInNumberFormat(id);
            auto format = formats.find(code);
            if (format == formats.end())
                format = formats.insert(code, CellNumberFormat(code, m_date1904));
            m_cellFormats.append(*format);
        }
    }

    // The text of a string item (<si>, <is>): its <t>, or its runs' <t>s;
    // the phonetic guides of East Asian text are left out.
    QString readStringItem(BoundedXml &xml)
    {
        QString text;
        while (xml.readNextStartElement()) {
            if (xml.name() == u"t") {
                text += xml.readText();
            } else if (xml.name() == u"r") {
                while (xml.readNextStartElement()) {
                    if (xml.name() == u"t")
                        text += xml.readText();
                    else
                        xml.skipCurrentElement();
                }
            } else {
                xml.skipCurrentElement();
            }
        }
        return withEscapesRead(std::move(text));
    }

    void readSharedStrings(const QString &part)
    {
        const std::unique_ptr<BoundedXml> xml = m_parts.open(part, WorkbookParts::Need::Optional);
        if (!xml)
            return;
        while (xml->readNextStartElement()) {
            while (xml->readNextStartElement()) {
                // An empty item takes a few bytes and a string's room.
                if (m_sharedStrings.size() == m_limits.cells) {
                    problemAt(QStringLiteral("more than %1 cells").arg(m_limits.cells), 0);
                    return;
                }
                m_sharedStrings.append(readStringItem(*xml));
            }
        }
        m_parts.finished(*xml);
    }

    // A cell's text, and a numeric one's value beside it.
    struct ReadCell
    {
        QString text;
        std::optional<double> value;
    };

    // A number as its style shows it; its value is kept unless the style
    // shows it as a date or a time.
    ReadCell numberCell(const QString &value, qsizetype style) const
    {
        const std::optional<double> number = numberOf(value);
        if (!number || !std::isfinite(*number))
            return {value, std::nullopt};
        if (style < 0 || style >= m_cellFormats.size())
            return {generalNumber(*number), number};
        const CellNumberFormat &format = m_cellFormats[style];
        return {format.shown(*number), format.showsDates() ? std::nullopt : number};
    }

    // The cell the reader is on; nothing when the cell names a shared
    // string the workbook lacks.
    std::optional<ReadCell> readCell(BoundedXml &xml)
    {
        const QXmlStreamAttributes attributes = xml.attributes();
        const QStringView type = attributes.value(QLatin1StringView("t"));
        const qsizetype style = attributes.hasAttribute(QLatin1StringView("s"))
                                    ? attributes.value(QLatin1StringView("s")).toInt()
                                    : -1;
        QString value;
        QString inlineText;
        while (xml.readNextStartElement()) {
            if (xml.name() == u"v")
                value = xml.readText();
            else if (xml.name() == u"is")
                inlineText = readStringItem(xml);
            else
                xml.skipCurrentElement();
        }
        if (type == u"inlineStr")
            return ReadCell{inlineText, std::nullopt};
        if (type == u"s") {
            bool ok = false;
            const qsizetype index = value.toLongLong(&ok);
            if (!ok || index < 0 || index >= m_sharedStrings.size())
                return std::nullopt;
            return ReadCell{m_sharedStrings[index], std::nullopt};
        }
        if (type == u"b")
            return ReadCell{value.trimmed() == u"1" ? QStringLiteral("TRUE")
                                                    : QStringLiteral("FALSE"),
                            std::nullopt};
        if (type == u"str")
            return ReadCell{withEscapesRead(value), std::nullopt};
        if (type == u"e")
            return ReadCell{value, std::nullopt};
        if (type == u"d")
            return ReadCell{shownIsoDateTime(value), std::nullopt};
        return value.isEmpty() ? ReadCell{value, std::nullopt} : numberCell(value, style);
    }

    void readSheet(const QString &part)
    {
        const std::unique_ptr<BoundedXml> xml = m_parts.open(part, WorkbookParts::Need::Required);
        if (!xml)
            return;
        qsizetype cells = 0;
        qsizetype rowNumber = 0;
        while (xml->readNextStartElement()) {
            while (xml->readNextStartElement()) {
                if (xml->name() != u"sheetData") {
                    xml->skipCurrentElement();
                    continue;
                }
                while (xml->readNextStartElement()) {
                    if (xml->name() != u"row") {
                        xml->skipCurrentElement();
                        continue;
                    }
                    const QStringView r = xml->attributes().value(QLatin1StringView("r"));
                    rowNumber = r.isEmpty() ? rowNumber + 1 : r.toLongLong();
                    if (!readRow(*xml, rowNumber, cells))
                        return;
                }
            }
        }
        m_parts.finished(*xml);
    }

    bool readRow(BoundedXml &xml, qsizetype rowNumber, qsizetype &cells)
    {
        QStringList row;
        RowValues values;
        qsizetype column = -1;
        while (xml.readNextStartElement()) {
            if (xml.name() != u"c") {
                xml.skipCurrentElement();
                continue;
            }
            const std::optional<qsizetype> named =
                columnOf(xml.attributes().value(QLatin1StringView("r")));
            column = named ? *named : column + 1;
            const std::optional<ReadCell> cell = readCell(xml);
            if (!cell) {
                return problemAt(
                    QStringLiteral("the workbook is damaged (%1: a cell names a shared "
                                   "string it does not have)")
                        .arg(xml.part()),
                    rowNumber, column);
            }
            const QString &text = cell->text;
            if (text.isEmpty())
                continue;
            if (rowNumber < 1) {
                return problemAt(QStringLiteral("the workbook is damaged (%1: a row numbered %2)")
                                     .arg(xml.part())
                                     .arg(rowNumber),
                                 0);
            }
            if (rowNumber > m_limits.rows)
                return problemAt(QStringLiteral("more than %1 rows").arg(m_limits.rows), rowNumber);
            if (column >= m_limits.columns)
                return problemAt(QStringLiteral("more than %1 columns").arg(m_limits.columns),
                                 rowNumber);
            if (text.size() > m_limits.cellCharacters) {
                return problemAt(
                    QStringLiteral("a cell longer than %1 characters").arg(m_limits.cellCharacters),
                    rowNumber, column);
            }
            if (++cells > m_limits.cells)
                return problemAt(QStringLiteral("more than %1 cells").arg(m_limits.cells),
                                 rowNumber);
            if (column >= row.size())
                row.resize(column + 1);
            row[column] = text;
            if (cell->value)
                values.append({column, *cell->value});
        }
        if (row.isEmpty())
            return true;
        placeValues(rowNumber, row, values);
        // A row met again adds its cells.
        if (rowNumber <= m_grid.rows.size() && m_grid.rows[rowNumber - 1].size() > 0) {
            QStringList placed = m_grid.rows[rowNumber - 1].toList();
            if (placed.size() < row.size())
                placed.resize(row.size());
            for (qsizetype i = 0; i < row.size(); ++i) {
                if (!row[i].isEmpty())
                    placed[i] = row[i];
            }
            row = std::move(placed);
        }
        m_grid.rows.place(rowNumber - 1, row);
        // Shared strings cost nothing more in the workbook, one cell at a time here.
        if (holdsTooMuchText(m_grid.rows.characters(), m_limits))
            return problemAt(tooMuchText(m_limits), rowNumber);
        return true;
    }

    // Keeps the numeric cells of the row `rowNumber` just read, `row`: a
    // cell met again is what it was read as last.
    void placeValues(qsizetype rowNumber, const QStringList &row, const RowValues &values)
    {
        if (values.isEmpty() && m_grid.values.size() < rowNumber)
            return;
        if (m_grid.values.size() < rowNumber)
            m_grid.values.resize(rowNumber);
        RowValues &placed = m_grid.values[rowNumber - 1];
        placed.removeIf([&row](const CellValue &cell) {
            return cell.column < row.size() && !row[cell.column].isEmpty();
        });
        placed += values;
    }

    const DataLimits &m_limits;
    CellGrid m_grid;
    WorkbookParts m_parts;
    bool m_date1904 = false;
    QStringList m_sharedStrings;
    QList<CellNumberFormat> m_cellFormats;
};

} // namespace

bool isXlsxArchive(const SpreadsheetZip &zip)
{
    return zip.contains(QStringLiteral("[Content_Types].xml"));
}

CellGrid readXlsx(SpreadsheetZip &zip, const QString &sheet, const DataLimits &limits)
{
    return XlsxReader(zip, limits).read(sheet);
}
