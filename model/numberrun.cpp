#include "numberrun.h"

#include <algorithm>

NumberRun::NumberRun(NumberValue start, std::int32_t stepPage, std::int16_t digits,
                     const NumberFormat &format, std::int32_t pages)
    : m_format(withinLimits(format)), m_start(start), m_stepPage(stepPage), m_pages(pages)
{
    m_width = m_format.autoWidth
                  ? autoWidthDigits(m_start, m_stepPage, m_format.repeat, m_pages, m_format.system)
                  : digits;
    m_checked = checkDigitApplies(m_format);
    m_pads = padsWithZeros(m_format.system);
    m_hasAffixes = !m_format.prefix.isEmpty() || !m_format.suffix.isEmpty();
    const QStringView last(u"{last}");
    if (m_format.prefix.contains(last) || m_format.suffix.contains(last))
        appendNumber(m_last, value(m_pages));
    // Room for the longest text: every brace may open a placeholder.
    const qsizetype braces = m_format.prefix.count(u'{') + m_format.suffix.count(u'{');
    m_textCapacity = m_format.prefix.size() + m_format.suffix.size() +
                     std::max<qsizetype>(m_width, DigitText::capacity) + 1 +
                     braces * std::max(DigitText::capacity, m_last.size());
}

QString NumberRun::text(std::int32_t page) const
{
    QString out;
    if (!m_hasAffixes) {
        appendNumber(out, value(page));
        return out;
    }
    out.reserve(m_textCapacity);
    appendExpanded(out, m_format.prefix, page, m_pages, m_last);
    appendNumber(out, value(page));
    appendExpanded(out, m_format.suffix, page, m_pages, m_last);
    return out;
}

bool NumberRun::showsDecimal(std::int32_t page) const
{
    DigitText digits;
    return !writeDigits(value(page), m_format.system, digits);
}

NumberValue NumberRun::value(std::int32_t page) const
{
    return repeatedValue(m_start, m_stepPage, m_format.repeat, page);
}

NumberValue NumberRun::valueFrom(NumberValue start, std::int32_t page) const
{
    return repeatedValue(start, m_stepPage, m_format.repeat, page);
}

void NumberRun::appendNumber(QString &out, NumberValue value) const
{
    if (m_width <= 0)
        return;
    DigitText digits;
    writeDigits(value, m_format.system, digits);
    const QStringView shown = digits.view();
    const qsizetype begin = out.size();
    if (out.capacity() < begin + std::max<qsizetype>(m_width, shown.size()) + 1)
        out.reserve(begin + std::max<qsizetype>(m_width, shown.size()) + 1);
    appendFilled(out, shown, m_pads ? m_width : 0);
    // The check character passes over the sign.
    if (m_checked)
        out.append(checkCharacter(QStringView(out).sliced(begin), m_format.check));
}

QString numberText(NumberValue start, std::int32_t stepPage, std::int16_t digits,
                   const NumberFormat &format, std::int32_t page, std::int32_t pages)
{
    return NumberRun(start, stepPage, digits, format, pages).text(page);
}
