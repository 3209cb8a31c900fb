#include "data/odsreader.h"

#include "data/boundedxml.h"
#include "data/cellformat.h"
#include "data/spreadsheetzip.h"
#include "data/workbookparts.h"

#include <QLatin1StringView>
#include <QRegularExpression>

#include <algorithm>
#include <cmath>
#include <memory>
#include <optional>
#include <utility>

namespace {

const QString tableNamespace = QStringLiteral("urn:oasis:names:tc:opendocument:xmlns:table:1.0");
const QString officeNamespace = QStringLiteral("urn:oasis:names:tc:opendocument:xmlns:office:1.0");
const QString textNamespace = QStringLiteral("urn:oasis:names:tc:opendocument:xmlns:text:1.0");
const QString contentPart = QStringLiteral("content.xml");
const QString manifestPart = QStringLiteral("META-INF/manifest.xml");

// A repeat count; at least 1 and at most `most` + 1, so that adding it to a
// count within a limit never overflows.
qsizetype repeatOf(const QXmlStreamAttributes &attributes, const QString &nameSpace,
                   QLatin1StringView name, qsizetype most)
{
    const qint64 repeat = attributes.value(nameSpace, name).toLongLong();
    return std::clamp<qint64>(repeat, 1, most + 1);
}

// A time cell's ISO 8601 duration, "PT14H30M00S", as the clock a cell shows
// it on: "14:30", with ":ss" where there are seconds. The text itself when
// it is none.
QString shownDuration(QStringView duration)
{
    static const QRegularExpression iso(
        QStringLiteral("^P(?:(\\d+)D)?T(?:(\\d+)H)?(?:(\\d+)M)?(?:(\\d+)(?:[.,]\\d*)?S)?$"));
    const QRegularExpressionMatch match = iso.match(duration);
    if (!match.hasMatch())
        return duration.toString();
    const qint64 hours =
        match.capturedView(1).toLongLong() * 24 + match.capturedView(2).toLongLong();
    const qint64 seconds = match.capturedView(4).toLongLong();
    QString shown = QStringLiteral("%1:%2")
                        .arg(hours, 2, 10, QChar(u'0'))
                        .arg(match.capturedView(3).toLongLong(), 2, 10, QChar(u'0'));
    if (seconds > 0)
        shown += QStringLiteral(":%1").arg(seconds, 2, 10, QChar(u'0'));
    return shown;
}

class OdsReader
{
public:
    OdsReader(SpreadsheetZip &zip, const DataLimits &limits)
        : m_limits(limits), m_parts(zip, limits, m_grid.problem)
    {
    }

    CellGrid read(const QString &sheet)
    {
        if (isEncrypted())
            return failed(QStringLiteral("the workbook is protected by a password; save it without "
                                         "one to read it here"));
        if (!m_grid.problem.isEmpty())
            return m_grid;
        std::unique_ptr<BoundedXml> xml = m_parts.open(contentPart, WorkbookParts::Need::Required);
        if (!xml)
            return m_grid;
        bool read = false;
        // document-content, body, spreadsheet, table
        while (xml->readNextStartElement()) {
            while (xml->readNextStartElement()) {
                if (xml->name() != u"body") {
                    xml->skipCurrentElement();
                    continue;
                }
                while (xml->readNextStartElement()) {
                    if (xml->name() != u"spreadsheet") {
                        xml->skipCurrentElement();
                        continue;
                    }
                    while (xml->readNextStartElement()) {
                        if (xml->name() != u"table") {
                            xml->skipCurrentElement();
                            continue;
                        }
                        const QString name = xml->attributes()
                                                 .value(tableNamespace, QLatin1StringView("name"))
                                                 .toString();
                        m_grid.sheets.append(name);
                        if (!read && (sheet.isEmpty() || sheet == name)) {
                            read = true;
                            if (!readRows(*xml))
                                return m_grid;
                        } else {
                            xml->skipCurrentElement();
                        }
                    }
                }
            }
        }
        if (!m_parts.finished(*xml))
            return m_grid;
        if (m_grid.sheets.isEmpty())
            return failed(QStringLiteral("the workbook has no sheets"));
        if (!read) {
            return failed(QStringLiteral("the workbook has no sheet \"%1\"; its sheets are %2")
                              .arg(sheet, m_grid.sheets.join(QStringLiteral(", "))));
        }
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
        m_grid.rows = CellRows();
        return false;
    }

    // An encrypted document keeps its manifest in the clear, and there says
    // how each part it encrypted is to be read.
    bool isEncrypted()
    {
        if (!m_parts.contains(manifestPart))
            return false;
        std::unique_ptr<BoundedXml> xml = m_parts.open(manifestPart, WorkbookParts::Need::Optional);
        if (!xml)
            return false;
        while (!xml->hasError()) {
            const QXmlStreamReader::TokenType token = xml->readNext();
            if (token == QXmlStreamReader::StartElement && xml->name() == u"encryption-data")
                return true;
            if (token == QXmlStreamReader::EndDocument || token == QXmlStreamReader::Invalid)
                break;
        }
        m_parts.finished(*xml);
        return false;
    }

    // Reads the rows of the table the reader is on, and of the groups of
    // rows in it.
    bool readRows(BoundedXml &xml)
    {
        while (xml.readNextStartElement()) {
            const QStringView name = xml.name();
            if (name == u"table-row") {
                if (!readRow(xml))
                    return false;
            } else if (name == u"table-header-rows" || name == u"table-rows" ||
                       name == u"table-row-group") {
                if (!readRows(xml))
                    return false;
            } else {
                xml.skipCurrentElement();
            }
        }
        return m_parts.finished(xml);
    }

    bool readRow(BoundedXml &xml)
    {
        const qsizetype repeat = repeatOf(xml.attributes(), tableNamespace,
                                          QLatin1StringView("number-rows-repeated"), m_limits.rows);
        const qsizetype rowNumber = m_grid.rows.size() + m_emptyRows + 1;
        QStringList cells;
        RowValues values;
        qsizetype emptyCells = 0;
        while (xml.readNextStartElement()) {
            if (xml.name() != u"table-cell" && xml.name() != u"covered-table-cell") {
                xml.skipCurrentElement();
                continue;
            }
            const qsizetype cellRepeat =
                repeatOf(xml.attributes(), tableNamespace,
                         QLatin1StringView("number-columns-repeated"), m_limits.columns);
            const qsizetype column = cells.size() + emptyCells;
            const auto [text, value] = readCell(xml, rowNumber, column);
            if (!m_grid.problem.isEmpty())
                return false;
            if (text.isEmpty()) {
                emptyCells = std::min(emptyCells + cellRepeat, m_limits.columns + 1);
                continue;
            }
            if (column + cellRepeat > m_limits.columns)
                return problemAt(QStringLiteral("more than %1 columns").arg(m_limits.columns),
                                 rowNumber);
            cells.resize(column);
            cells.insert(column, cellRepeat, text);
            for (qsizetype c = column; value && c < column + cellRepeat; ++c)
                values.append({c, *value});
            emptyCells = 0;
        }
        if (cells.isEmpty()) {
            m_emptyRows = std::min(m_emptyRows + repeat, m_limits.rows + 1);
            return true;
        }
        const qsizetype rows = m_grid.rows.size() + m_emptyRows + repeat;
        if (rows > m_limits.rows)
            return problemAt(QStringLiteral("more than %1 rows").arg(m_limits.rows), rowNumber);
        m_cells += cells.size() * repeat;
        if (m_cells > m_limits.cells)
            return problemAt(QStringLiteral("more than %1 cells").arg(m_limits.cells), rowNumber);
        m_grid.rows.resize(m_grid.rows.size() + m_emptyRows);
        m_emptyRows = 0;
        // Repeats share one list of cells, and of values.
        if (!values.isEmpty()) {
            m_grid.values.resize(m_grid.rows.size());
            m_grid.values.insert(m_grid.values.size(), repeat, values);
        }
        m_grid.rows.append(cells, repeat);
        // Repeated cells cost nothing more in the workbook, each its own here.
        if (holdsTooMuchText(m_grid.rows.characters(), m_limits))
            return problemAt(tooMuchText(m_limits), rowNumber);
        return true;
    }

    // A cell's text as the spreadsheet shows it, and a numeric one's value.
    struct ReadCell
    {
        QString text;
        std::optional<double> value;
    };

    ReadCell readCell(BoundedXml &xml, qsizetype row, qsizetype column)
    {
        const QXmlStreamAttributes attributes = xml.attributes();
        const QStringView type = attributes.value(officeNamespace, QLatin1StringView("value-type"));
        QString text;
        bool firstParagraph = true;
        while (xml.readNextStartElement()) {
            if (xml.name() == u"p") {
                if (!std::exchange(firstParagraph, false))
                    text += u'\n';
                readParagraph(xml, text, row, column);
            } else {
                xml.skipCurrentElement(); // notes, drawings
            }
            if (!m_grid.problem.isEmpty())
                return {};
        }
        if (type == u"date")
            return {shownIsoDateTime(
                        attributes.value(officeNamespace, QLatin1StringView("date-value"))),
                    std::nullopt};
        // Numbers, amounts and per cents keep their value beside their text.
        bool isNumber = false;
        const double number =
            attributes.value(officeNamespace, QLatin1StringView("value")).toDouble(&isNumber);
        const std::optional<double> value =
            isNumber && std::isfinite(number) &&
                    (type == u"float" || type == u"currency" || type == u"percentage")
                ? std::optional(number)
                : std::nullopt;
        if (!text.isEmpty() || type.isEmpty() || type == u"string")
            return {text, value};
        // A cell written by a program that saves only the value.
        if (type == u"boolean") {
            const QStringView shown =
                attributes.value(officeNamespace, QLatin1StringView("boolean-value"));
            return {shown == u"true" ? QStringLiteral("TRUE") : QStringLiteral("FALSE"),
                    std::nullopt};
        }
        if (type == u"time")
            return {
                shownDuration(attributes.value(officeNamespace, QLatin1StringView("time-value"))),
                std::nullopt};
        if (!isNumber)
            return {text, std::nullopt};
        return {type == u"percentage" ? generalNumber(number * 100) + u'%' : generalNumber(number),
                value};
    }

    // Adds a paragraph's text to its cell's `text`: runs of white space in
    // it are one space, its spaces, tabs and line breaks written as elements
    // (<text:s text:c="3"/>) are what they say; the text of spans and links
    // is the paragraph's. The cell's text as a whole stays within its bound.
    void readParagraph(BoundedXml &xml, QString &text, qsizetype row, qsizetype column)
    {
        bool afterSpace = false;
        int depth = 1;
        while (depth > 0) {
            const QXmlStreamReader::TokenType token = xml.readNext();
            if (token == QXmlStreamReader::Invalid)
                return;
            if (token == QXmlStreamReader::EndElement) {
                --depth;
            } else if (token == QXmlStreamReader::Characters) {
                for (const QChar c : xml.text()) {
                    if (text.size() > m_limits.cellCharacters)
                        break;
                    const bool space = c == u' ' || c == u'\t' || c == u'\n' || c == u'\r';
                    if (!space)
                        text += c;
                    else if (!afterSpace)
                        text += u' ';
                    afterSpace = space;
                }
            } else if (token == QXmlStreamReader::StartElement) {
                const QStringView name = xml.name();
                afterSpace = false;
                if (name == u"s") {
                    const qsizetype count =
                        repeatOf(xml.attributes(), textNamespace, QLatin1StringView("c"),
                                 m_limits.cellCharacters);
                    text += QString(std::min(count, m_limits.cellCharacters + 1), u' ');
                    xml.skipCurrentElement();
                } else if (name == u"tab") {
                    text += u'\t';
                    xml.skipCurrentElement();
                } else if (name == u"line-break") {
                    text += u'\n';
                    xml.skipCurrentElement();
                } else if (name == u"span" || name == u"a") {
                    ++depth;
                } else {
                    xml.skipCurrentElement(); // notes, fields, drawings
                }
            }
            if (text.size() > m_limits.cellCharacters) {
                problemAt(
                    QStringLiteral("a cell longer than %1 characters").arg(m_limits.cellCharacters),
                    row, column);
                return;
            }
        }
    }

    const DataLimits &m_limits;
    CellGrid m_grid;
    WorkbookParts m_parts;
    // Empty rows read and not laid out, as they may end the sheet.
    qsizetype m_emptyRows = 0;
    qsizetype m_cells = 0;
};

} // namespace

bool isOdsArchive(const SpreadsheetZip &zip)
{
    return zip.contains(contentPart);
}

CellGrid readOds(SpreadsheetZip &zip, const QString &sheet, const DataLimits &limits)
{
    return OdsReader(zip, limits).read(sheet);
}
