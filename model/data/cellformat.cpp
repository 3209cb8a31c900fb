#include "data/cellformat.h"

#include <QDate>
#include <QList>
#include <QTime>

#include <cmath>
#include <optional>

namespace {

constexpr int significantDigits = 15;

struct BuiltInFormat
{
    int id;
    const char *code;
};

// The built-in formats every locale shows alike; the currency and East
// Asian ones depend on the spreadsheet's locale and show as General.
constexpr BuiltInFormat builtInFormats[] = {
    {1, "0"},
    {2, "0.00"},
    {3, "#,##0"},
    {4, "#,##0.00"},
    {9, "0%"},
    {10, "0.00%"},
    {11, "0.00E+00"},
    {12, "# ?/?"},
    {13, "# ?\?/??"},
    {14, "mm-dd-yy"},
    {15, "d-mmm-yy"},
    {16, "d-mmm"},
    {17, "mmm-yy"},
    {18, "h:mm AM/PM"},
    {19, "h:mm:ss AM/PM"},
    {20, "h:mm"},
    {21, "h:mm:ss"},
    {22, "m/d/yy h:mm"},
    {37, "#,##0 ;(#,##0)"},
    {38, "#,##0 ;[Red](#,##0)"},
    {39, "#,##0.00;(#,##0.00)"},
    {40, "#,##0.00;[Red](#,##0.00)"},
    {45, "mm:ss"},
    {46, "[h]:mm:ss"},
    {47, "mmss.0"},
    {48, "##0.0E+0"},
};

// The parts of a format's section: text shown as it stands, and the
// characters that stand for the number.
struct Part
{
    enum Kind
    {
        Literal,
        Placeholder
    };
    Kind kind;
    QString text;
};

struct Section
{
    QList<Part> parts;
    bool isDate = false;
    bool isGeneral = false;
    // What the section asks that this reader does not show (a condition).
    bool unsupported = false;
    // An elapsed time's unit, [h], [mm] or [ss]: it counts past a day.
    QChar elapsed;
    // A slash outside a date: a fraction.
    bool fraction = false;
};

// The section texts of `code`, split at ';' outside quotes and brackets.
QList<QStringView> sectionsOf(QStringView code)
{
    QList<QStringView> sections;
    qsizetype start = 0;
    bool quoted = false;
    bool bracketed = false;
    for (qsizetype i = 0; i < code.size(); ++i) {
        const QChar c = code[i];
        if (c == u'\\' && !quoted)
            ++i;
        else if (c == u'"')
            quoted = !quoted;
        else if (!quoted && c == u'[')
            bracketed = true;
        else if (!quoted && c == u']')
            bracketed = false;
        else if (!quoted && !bracketed && c == u';') {
            sections.append(code.sliced(start, i - start));
            start = i + 1;
        }
    }
    sections.append(code.sliced(start));
    return sections;
}

bool isDateLetter(QChar c)
{
    const char16_t lower = c.toLower().unicode();
    return lower == u'y' || lower == u'm' || lower == u'd' || lower == u'h' || lower == u's' ||
           lower == u'e' || lower == u'g' || lower == u'b';
}

Section parseSection(QStringView text)
{
    Section section;
    bool slash = false;
    const auto literal = [&section](const QString &shown) {
        if (!section.parts.isEmpty() && section.parts.constLast().kind == Part::Literal)
            section.parts.last().text += shown;
        else
            section.parts.append({Part::Literal, shown});
    };
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == u'"') {
            const qsizetype end = text.indexOf(u'"', i + 1);
            const qsizetype close = end < 0 ? text.size() : end;
            literal(text.sliced(i + 1, close - i - 1).toString());
            i = close;
        } else if (c == u'\\' && i + 1 < text.size()) {
            literal(text[++i]);
        } else if (c == u'_' && i + 1 < text.size()) {
            // The width of the next character, as blank.
            ++i;
            literal(QStringLiteral(" "));
        } else if (c == u'*' && i + 1 < text.size()) {
            // A fill to the cell's width: nothing of a value's text.
            ++i;
        } else if (c == u'[') {
            const qsizetype end = text.indexOf(u']', i + 1);
            const QStringView inside = text.sliced(i + 1, (end < 0 ? text.size() : end) - i - 1);
            if (inside.startsWith(u'$')) {
                // [$€-407]: a currency symbol and the locale it comes from.
                const qsizetype dash = inside.indexOf(u'-');
                literal(inside.sliced(1, (dash < 0 ? inside.size() : dash) - 1).toString());
            } else if (!inside.isEmpty() && !inside.front().isLetter()) {
                section.unsupported = true; // a condition
            } else if (!inside.isEmpty() && inside.size() <= 2 &&
                       inside.count(inside.front()) == inside.size() &&
                       QStringLiteral("hms").contains(inside.front().toLower())) {
                section.isDate = true;
                section.elapsed = inside.front().toLower();
                section.parts.append({Part::Placeholder, section.elapsed});
            }
            // Colours are no part of the text.
            i = end < 0 ? text.size() : end;
        } else if (text.sliced(i).startsWith(u"General", Qt::CaseInsensitive)) {
            section.isGeneral = true;
            i += 6;
        } else if (text.sliced(i).startsWith(u"AM/PM", Qt::CaseInsensitive) ||
                   text.sliced(i).startsWith(u"A/P", Qt::CaseInsensitive)) {
            section.isDate = true;
            i += text[i + 1] == u'/' ? 2 : 4;
        } else if (c == u'@') {
            section.isGeneral = true;
        } else if ((c == u'E' || c == u'e') && i + 1 < text.size() &&
                   (text[i + 1] == u'+' || text[i + 1] == u'-')) {
            section.parts.append({Part::Placeholder, QStringLiteral("E") + text[++i]});
        } else if (isDateLetter(c)) {
            section.isDate = true;
            section.parts.append({Part::Placeholder, c.toLower()});
        } else if (c == u'0' || c == u'#' || c == u'?' || c == u'.' || c == u',') {
            section.parts.append({Part::Placeholder, c});
        } else {
            slash = slash || c == u'/';
            literal(c);
        }
    }
    // Outside a date a slash makes a fraction.
    section.fraction = slash && !section.isDate;
    return section;
}

// A date format's placeholders read: what of a date and time it shows.
struct DateShape
{
    bool date = false;
    bool time = false;
    bool seconds = false;
    QChar elapsed;
};

DateShape dateShapeOf(const Section &section)
{
    const auto letterAt = [&section](qsizetype i) {
        const Part &part = section.parts[i];
        return part.kind == Part::Placeholder && isDateLetter(part.text.front()) ? part.text.front()
                                                                                 : QChar();
    };
    // The first letter other than m after each part, found from the end in
    // one pass: a code of m after m would otherwise be searched once per m.
    QList<QChar> nextOtherLetter(section.parts.size());
    for (qsizetype i = section.parts.size() - 1; i > 0; --i) {
        const QChar letter = letterAt(i);
        nextOtherLetter[i - 1] = letter.isNull() || letter == u'm' ? nextOtherLetter[i] : letter;
    }
    DateShape shape;
    QChar previous; // the last letter other than m
    for (qsizetype i = 0; i < section.parts.size(); ++i) {
        const QChar letter = letterAt(i);
        if (letter.isNull())
            continue;
        if (letter == u'h' || letter == u's') {
            shape.time = true;
            shape.seconds = shape.seconds || letter == u's';
        } else if (letter == u'm') {
            if (i > 0 && letterAt(i - 1) == u'm')
                continue; // the same run of m
            // Minutes after hours or before seconds, a month elsewhere.
            if (previous == u'h' || nextOtherLetter[i] == u's')
                shape.time = true;
            else
                shape.date = true;
            continue;
        } else {
            shape.date = true;
        }
        previous = letter;
    }
    // AM/PM alone still shows a time.
    if (!shape.date && !shape.time)
        shape.time = true;
    shape.elapsed = section.elapsed;
    return shape;
}

// A time counted past a day, "36:00": its first unit whole, the rest as a
// clock shows them.
QString shownElapsed(qint64 seconds, const DateShape &shape)
{
    const auto twoDigits = [](qint64 n) {
        return QStringLiteral("%1").arg(n, 2, 10, QChar(u'0'));
    };
    QString shown;
    if (shape.elapsed == u'h')
        shown = twoDigits(seconds / 3600) + u':' + twoDigits(seconds / 60 % 60);
    else if (shape.elapsed == u'm')
        shown = twoDigits(seconds / 60);
    if (shape.elapsed == u's')
        return twoDigits(seconds);
    if (shape.seconds)
        shown += u':' + twoDigits(seconds % 60);
    return shown;
}

std::optional<QString> shownDate(double serial, const DateShape &shape, bool date1904)
{
    if (serial < 0 || serial >= 2958466) // after 9999-12-31
        return std::nullopt;
    if (!shape.elapsed.isNull())
        return shownElapsed(std::llround(serial * 86400), shape);
    double days = std::floor(serial);
    qint64 seconds = std::llround((serial - days) * 86400);
    if (seconds == 86400) {
        days += 1;
        seconds = 0;
    }
    QStringList shown;
    if (shape.date) {
        if (!date1904 && days == 60) {
            // The day the 1900 system counts though it never was, as every
            // spreadsheet that reads the system shows it.
            shown.append(QStringLiteral("1900-02-29"));
        } else {
            // The 1900 system counts 1900-02-29, so its days before March
            // start a day later.
            const QDate epoch = date1904 ? QDate(1904, 1, 1)
                                         : (days < 60 ? QDate(1899, 12, 31) : QDate(1899, 12, 30));
            shown.append(epoch.addDays(qint64(days)).toString(Qt::ISODate));
        }
    }
    if (shape.time) {
        const QTime time = QTime(0, 0).addSecs(int(seconds));
        shown.append(
            time.toString(shape.seconds ? QStringLiteral("HH:mm:ss") : QStringLiteral("HH:mm")));
    }
    return shown.join(u' ');
}

// A value's 15 significant digits, rounded as a spreadsheet rounds them: the
// digits and where the decimal point goes among them.
struct Digits
{
    QString digits;
    int pointAt = 0;
};

Digits significant(double value)
{
    if (value == 0)
        return {QStringLiteral("0"), 1};
    // "d.dddddddddddddde±x"
    const QString scientific = QString::number(value, 'e', significantDigits - 1);
    const qsizetype e = scientific.indexOf(u'e');
    Digits digits;
    digits.digits = scientific.first(1) + scientific.sliced(2, e - 2);
    digits.pointAt = scientific.sliced(e + 1).toInt() + 1;
    return digits;
}

// `value`, 0 or more, with `decimals` decimals, halves rounded up: its whole
// digits and its decimal digits.
std::pair<QString, QString> fixedDigits(double value, int decimals)
{
    Digits d = significant(value);
    // Enough digits on both sides of the point.
    if (d.pointAt < 1) {
        d.digits.prepend(QString(1 - d.pointAt, u'0'));
        d.pointAt = 1;
    }
    const qsizetype wanted = d.pointAt + decimals;
    if (d.digits.size() < wanted + 1)
        d.digits.append(QString(wanted + 1 - d.digits.size(), u'0'));
    QString kept = d.digits.first(wanted);
    if (d.digits[wanted] >= u'5') {
        qsizetype i = kept.size() - 1;
        for (; i >= 0 && kept[i] == u'9'; --i)
            kept[i] = u'0';
        if (i >= 0) {
            kept[i] = QChar(kept[i].unicode() + 1);
        } else {
            kept.prepend(u'1');
            ++d.pointAt;
        }
    }
    QString whole = kept.first(d.pointAt);
    while (whole.size() > 1 && whole.front() == u'0')
        whole.remove(0, 1);
    return {whole, kept.sliced(d.pointAt)};
}

QString grouped(const QString &whole)
{
    QString text;
    for (qsizetype i = 0; i < whole.size(); ++i) {
        if (i > 0 && (whole.size() - i) % 3 == 0)
            text += u',';
        text += whole[i];
    }
    return text;
}

// What a number section's placeholders ask for.
struct NumberShape
{
    QString prefix;
    QString suffix;
    int wholeZeros = 0; // '0's before the point: digits always shown
    bool grouping = false;
    int scaleThousands = 0;
    int percent = 0;
    int decimals = 0;
    int decimalZeros = 0;
    bool point = false;
    bool exponent = false;
    bool exponentPlus = false;
    int exponentZeros = 0;
    int wholePlaceholders = 0;
    int placeholders = 0;
};

std::optional<NumberShape> numberShapeOf(const Section &section)
{
    NumberShape shape;
    qsizetype first = 0;
    qsizetype last = section.parts.size() - 1;
    while (first <= last && section.parts[first].kind == Part::Literal)
        shape.prefix += section.parts[first++].text;
    while (last >= first && section.parts[last].kind == Part::Literal)
        shape.suffix.prepend(section.parts[last--].text);
    shape.percent = int(shape.prefix.count(u'%') + shape.suffix.count(u'%'));
    shape.placeholders = int(last - first + 1);
    bool pendingComma = false;
    for (qsizetype i = first; i <= last; ++i) {
        const Part &part = section.parts[i];
        if (part.kind == Part::Literal)
            return std::nullopt; // text among the digits
        const QChar c = part.text.front();
        if (c == u'E') {
            shape.exponent = true;
            shape.exponentPlus = part.text == u"E+";
        } else if (shape.exponent) {
            if (c == u'0')
                ++shape.exponentZeros;
        } else if (c == u'.') {
            shape.point = true;
        } else if (c == u',') {
            pendingComma = true;
            if (!shape.point)
                ++shape.scaleThousands;
        } else if (shape.point) {
            ++shape.decimals;
            if (c == u'0')
                shape.decimalZeros = shape.decimals;
        } else {
            // A comma between whole digits groups them, one after them scales.
            if (pendingComma) {
                shape.grouping = true;
                shape.scaleThousands = 0;
            }
            pendingComma = false;
            ++shape.wholePlaceholders;
            if (c == u'0')
                ++shape.wholeZeros;
        }
    }
    return shape;
}

// `value`, its per cents and thousands already scaled, as `shape` shows it.
QString shownNumber(double value, const NumberShape &shape)
{
    int exponent = 0;
    if (shape.exponent && value != 0) {
        exponent = int(std::floor(std::log10(value)));
        // "##0.0E+0" keeps exponents in steps of its whole placeholders.
        const int step = shape.wholePlaceholders > 1 && shape.wholeZeros < shape.wholePlaceholders
                             ? shape.wholePlaceholders
                             : 1;
        const int wholeDigits = std::max(1, shape.wholeZeros);
        exponent = step > 1 ? int(std::floor(double(exponent) / step)) * step
                            : exponent - (wholeDigits - 1);
        value /= std::pow(10.0, exponent);
        // Rounding may carry the mantissa to the next power of ten.
        if (fixedDigits(value, shape.decimals).first.size() > std::max(wholeDigits, step)) {
            exponent += step;
            value /= std::pow(10.0, step);
        }
    }
    auto [whole, fraction] = fixedDigits(value, shape.decimals);
    while (fraction.size() > shape.decimalZeros && fraction.endsWith(u'0'))
        fraction.chop(1);
    if (whole == u"0" && shape.wholeZeros == 0)
        whole.clear();
    if (whole.size() < shape.wholeZeros)
        whole.prepend(QString(shape.wholeZeros - whole.size(), u'0'));
    QString text = shape.grouping ? grouped(whole) : whole;
    if (shape.point)
        text += u'.' + fraction;
    if (shape.exponent) {
        const QString digits = QString::number(std::abs(exponent));
        text += u'E';
        if (exponent < 0)
            text += u'-';
        else if (shape.exponentPlus)
            text += u'+';
        text += QString(std::max<qsizetype>(0, shape.exponentZeros - digits.size()), u'0') + digits;
    }
    return text;
}

// What a fraction's placeholders ask for: "# ?/?", "# ??/??", "?/8".
struct FractionShape
{
    // A whole number before the fraction; else the fraction may be improper.
    bool whole = false;
    // The largest denominator, or the one every fraction has.
    qint64 mostDenominator = 9;
    bool fixedDenominator = false;
};

std::optional<FractionShape> fractionShapeOf(const Section &section)
{
    const QList<Part> &parts = section.parts;
    qsizetype slash = 0;
    while (slash < parts.size() &&
           !(parts[slash].kind == Part::Literal && parts[slash].text.contains(u'/')))
        ++slash;
    if (slash == 0 || slash == parts.size() || parts[slash - 1].kind != Part::Placeholder)
        return std::nullopt;
    FractionShape shape;
    const QString &slashText = parts[slash].text;
    const QStringView fixed = QStringView(slashText).sliced(slashText.indexOf(u'/') + 1).trimmed();
    if (!fixed.isEmpty()) {
        shape.fixedDenominator = true;
        shape.mostDenominator = fixed.toLongLong();
        if (shape.mostDenominator <= 0 || shape.mostDenominator > 9999)
            return std::nullopt;
    } else {
        qsizetype digits = 0;
        while (slash + 1 + digits < parts.size() &&
               parts[slash + 1 + digits].kind == Part::Placeholder)
            ++digits;
        if (digits == 0)
            return std::nullopt;
        shape.mostDenominator = qint64(std::pow(10, std::min<qsizetype>(digits, 4))) - 1;
    }
    qsizetype numerator = slash - 1;
    while (numerator > 0 && parts[numerator - 1].kind == Part::Placeholder)
        --numerator;
    shape.whole = numerator >= 2 && parts[numerator - 1].text.trimmed().isEmpty() &&
                  parts[numerator - 2].kind == Part::Placeholder;
    return shape;
}

// A number of 0 or more as a fraction, of the closest denominator up to the
// shape's largest: "3 14/99"; a whole number alone when no fraction is left.
QString shownFraction(double magnitude, const FractionShape &shape)
{
    double whole = shape.whole ? std::floor(magnitude) : 0;
    const double rest = magnitude - whole;
    qint64 numerator = 0;
    qint64 denominator = shape.mostDenominator;
    if (shape.fixedDenominator) {
        numerator = std::llround(rest * double(denominator));
    } else {
        double closest = 2;
        for (qint64 tried = 1; tried <= shape.mostDenominator; ++tried) {
            const qint64 triedNumerator = std::llround(rest * double(tried));
            const double error = std::abs(rest - double(triedNumerator) / double(tried));
            if (error < closest) {
                closest = error;
                numerator = triedNumerator;
                denominator = tried;
            }
        }
    }
    if (shape.whole && numerator == denominator) {
        whole += 1;
        numerator = 0;
    }
    QStringList shown;
    if (shape.whole && (whole > 0 || numerator == 0))
        shown.append(fixedDigits(whole, 0).first);
    if (numerator > 0 || !shape.whole)
        shown.append(QStringLiteral("%1/%2").arg(numerator).arg(denominator));
    return shown.join(u' ');
}

// Whether a section is whole-number digits with text among them,
// "000-00-0000".
bool isDigitsAmongText(const Section &section)
{
    bool placeholders = false;
    for (const Part &part : section.parts) {
        if (part.kind == Part::Placeholder && !QStringLiteral("0#?").contains(part.text.front()))
            return false;
        placeholders = placeholders || part.kind == Part::Placeholder;
    }
    return placeholders;
}

// The whole number's digits fill the placeholders from the right, the text
// among them stays where it is, and the first placeholder takes the digits
// left over.
QString shownAmongText(double magnitude, const Section &section)
{
    QString digits = fixedDigits(magnitude, 0).first;
    if (digits == u"0")
        digits.clear();
    qsizetype left = digits.size();
    qsizetype first = 0;
    while (section.parts[first].kind != Part::Placeholder)
        ++first;
    QString shown;
    for (qsizetype i = section.parts.size() - 1; i >= 0; --i) {
        const Part &part = section.parts[i];
        if (part.kind == Part::Literal) {
            shown.prepend(part.text);
            continue;
        }
        const qsizetype taken = i == first ? left : std::min<qsizetype>(left, 1);
        left -= taken;
        if (taken > 0)
            shown.prepend(QStringView(digits).sliced(left, taken));
        else if (part.text.front() == u'0')
            shown.prepend(u'0');
        else if (part.text.front() == u'?')
            shown.prepend(u' ');
    }
    return shown;
}

bool allZeros(QStringView text)
{
    for (const QChar c : text) {
        if (c.isDigit() && c != u'0')
            return false;
    }
    return true;
}

} // namespace

QString generalNumber(double value)
{
    if (!std::isfinite(value))
        return QStringLiteral("#NUM!");
    if (value == std::floor(value) && std::abs(value) < 1e15)
        return QString::number(qint64(value));
    QString text = QString::number(value, 'g', significantDigits);
    const qsizetype e = text.indexOf(u'e');
    if (e >= 0)
        text[e] = u'E';
    return text;
}

QString builtInNumberFormat(int id)
{
    for (const BuiltInFormat &format : builtInFormats) {
        if (format.id == id)
            return QString::fromLatin1(format.code);
    }
    return {};
}

QString shownIsoDateTime(QStringView iso)
{
    const QStringView trimmed = iso.trimmed();
    const qsizetype t = trimmed.indexOf(u'T');
    const QDate date = QDate::fromString(trimmed.first(t < 0 ? trimmed.size() : t), Qt::ISODate);
    if (!date.isValid())
        return iso.toString();
    QString shown = date.toString(Qt::ISODate);
    if (t < 0)
        return shown;
    // Fractions of a second and a zone say nothing a cell shows.
    const QTime time = QTime::fromString(
        trimmed.sliced(t + 1).first(std::min<qsizetype>(8, trimmed.size() - t - 1)), Qt::ISODate);
    if (time.isValid() && time != QTime(0, 0))
        shown += time.toString(time.second() ? u" HH:mm:ss" : u" HH:mm");
    return shown;
}

namespace {

// A section read once: what it shows, ready for every value.
struct ReadSection
{
    Section section;
    std::optional<NumberShape> number;
    DateShape date;
    std::optional<FractionShape> fraction;
};

} // namespace

struct CellNumberFormat::Sections
{
    QList<ReadSection> sections;
};

CellNumberFormat::CellNumberFormat(QStringView code, bool date1904) : m_date1904(date1904)
{
    if (code.isEmpty())
        return;
    auto sections = std::make_shared<Sections>();
    for (const QStringView text : sectionsOf(code)) {
        ReadSection read{parseSection(text), std::nullopt, {}, std::nullopt};
        if (read.section.isDate)
            read.date = dateShapeOf(read.section);
        else if (read.section.fraction)
            read.fraction = fractionShapeOf(read.section);
        else
            read.number = numberShapeOf(read.section);
        sections->sections.append(std::move(read));
    }
    m_sections = std::move(sections);
}

bool CellNumberFormat::showsDates() const
{
    return m_sections && std::any_of(m_sections->sections.cbegin(), m_sections->sections.cend(),
                                     [](const ReadSection &read) { return read.section.isDate; });
}

QString CellNumberFormat::shown(double value) const
{
    if (!m_sections || !std::isfinite(value))
        return generalNumber(value);
    const QList<ReadSection> &sections = m_sections->sections;
    // A second section is for negative values, which it shows without
    // their sign; a third for zero.
    qsizetype index = 0;
    bool signShown = value < 0;
    if (value < 0 && sections.size() >= 2) {
        index = 1;
        signShown = false;
    } else if (value == 0 && sections.size() >= 3) {
        index = 2;
    }
    const ReadSection &read = sections[index];
    if (read.section.unsupported || read.section.isGeneral)
        return generalNumber(value);
    if (read.section.isDate)
        return shownDate(value, read.date, m_date1904).value_or(generalNumber(value));
    const QString sign = signShown ? QStringLiteral("-") : QString();
    // Past 15 digits a fraction says nothing a double holds.
    if (read.section.fraction) {
        if (!read.fraction || std::abs(value) >= 1e15)
            return generalNumber(value);
        const QString shown = shownFraction(std::abs(value), *read.fraction);
        return (allZeros(shown) ? QString() : sign) + shown;
    }
    if (!read.number) {
        if (!isDigitsAmongText(read.section))
            return generalNumber(value);
        const QString shown = shownAmongText(std::abs(value), read.section);
        return (allZeros(shown) ? QString() : sign) + shown;
    }
    const NumberShape &shape = *read.number;
    // A section of text alone shows that text.
    if (shape.placeholders == 0)
        return shape.prefix;
    const double scaled =
        std::abs(value) * std::pow(100.0, shape.percent) / std::pow(1000.0, shape.scaleThousands);
    // Per cents of the largest numbers are past what a double holds.
    if (!std::isfinite(scaled))
        return generalNumber(value);
    const QString number = shownNumber(scaled, shape);
    return (allZeros(number) ? QString() : sign) + shape.prefix + number + shape.suffix;
}
