#include "data/workbookparts.h"

#include "data/spreadsheetzip.h"

namespace {

// A name a zip tool would write outside the folder it unpacks to: such a
// part belongs to no workbook.
bool isOutside(const QString &part)
{
    return part.isEmpty() || part.startsWith(u'/') || part.contains(u'\\') || part == u".." ||
           part.startsWith(QLatin1StringView("../")) || part.contains(QLatin1StringView("/../")) ||
           part.endsWith(QLatin1StringView("/.."));
}

} // namespace

WorkbookParts::WorkbookParts(SpreadsheetZip &zip, const DataLimits &limits, DataProblem &problem)
    : m_zip(zip), m_limits(limits), m_problem(problem)
{
}

bool WorkbookParts::contains(const QString &part) const
{
    return !isOutside(part) && m_zip.contains(part);
}

std::unique_ptr<BoundedXml> WorkbookParts::open(const QString &part, Need need)
{
    if (!m_problem.isEmpty())
        return nullptr;
    if (isOutside(part)) {
        m_problem.text =
            QStringLiteral("the workbook is damaged (a part named \"%1\", outside the workbook)")
                .arg(part);
        return nullptr;
    }
    std::unique_ptr<ZipEntryDevice> device = m_zip.open(part);
    if (!device) {
        if (!m_zip.problem().isEmpty())
            m_problem = m_zip.problem();
        else if (need == Need::Required)
            m_problem.text = QStringLiteral("the workbook is damaged (%1 is missing)").arg(part);
        return nullptr;
    }
    return std::make_unique<BoundedXml>(std::move(device), part, m_limits.xmlDepth,
                                        m_limits.stillWanted);
}

bool WorkbookParts::finished(const BoundedXml &xml)
{
    if (!m_problem.isEmpty())
        return false;
    if (!m_zip.problem().isEmpty())
        m_problem = m_zip.problem();
    else if (!m_limits.goesOn())
        m_problem.text = DataLimits::stoppedText();
    else if (xml.hasError())
        m_problem.text =
            QStringLiteral("the workbook is damaged (%1, %2)").arg(xml.part(), xml.errorText());
    return m_problem.isEmpty();
}

bool holdsTooMuchText(qsizetype characters, const DataLimits &limits)
{
    return qint64(characters) * 2 > limits.expandedBytes;
}

QString tooMuchText(const DataLimits &limits)
{
    return QStringLiteral("the workbook's cells expand past %1 MB, more than a data file may hold")
        .arg(limits.expandedBytes >> 20);
}
