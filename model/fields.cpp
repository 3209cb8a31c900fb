#include "fields.h"

#include "numbersystems.h"

#include <QDate>
#include <QTime>

#include <algorithm>

namespace {

// A date or time field as it stands between its braces.
struct MomentField
{
    bool time = false;
    // The offset's sign and digits, and its unit: d, w, m or y.
    QStringView offset;
    QChar unit;
    std::optional<QStringView> format;
};

bool isDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

// `name` read as date[+Nu][:FORMAT] or time[:FORMAT]; nothing when it is
// neither, and so may be a column's name.
std::optional<MomentField> momentField(QStringView name)
{
    MomentField field;
    if (name.startsWith(u"time"))
        field.time = true;
    else if (!name.startsWith(u"date"))
        return std::nullopt;
    QStringView rest = name.sliced(4);
    if (!field.time && (rest.startsWith(u'+') || rest.startsWith(u'-'))) {
        qsizetype end = 1;
        while (end < rest.size() && isDigit(rest[end]))
            ++end;
        if (end == 1 || end == rest.size() || !QStringView(u"dwmy").contains(rest[end]))
            return std::nullopt;
        field.offset = rest.first(end);
        field.unit = rest[end];
        rest = rest.sliced(end + 1);
    }
    if (rest.startsWith(u':'))
        field.format = rest.sliced(1);
    else if (!rest.isEmpty())
        return std::nullopt;
    return field;
}

constexpr QStringView dateLetters = u"dMy";
constexpr QStringView timeLetters = u"hHmsz";

// Whether `format` writes any of `letters` outside its quoted text.
bool writesAny(QStringView format, QStringView letters)
{
    bool quoted = false;
    for (const QChar c : format) {
        if (c == u'\'')
            quoted = !quoted;
        else if (!quoted && letters.contains(c))
            return true;
    }
    return false;
}

const QString unitNames[] = {QStringLiteral("days"), QStringLiteral("weeks"),
                             QStringLiteral("months"), QStringLiteral("years")};

// The run's date moved by `field`'s offset, or why not.
std::optional<QDate> movedDate(QDate date, const MomentField &field, QString &problem)
{
    if (field.offset.isEmpty())
        return date;
    const qsizetype unit = QStringView(u"dwmy").indexOf(field.unit);
    const QStringView digits = field.offset.sliced(1);
    bool read = false;
    const int count = digits.size() <= 4 ? digits.toInt(&read) : 0;
    if (!read) {
        problem = QStringLiteral("moves the date by more than %1 %2")
                      .arg(maxDateOffset)
                      .arg(unitNames[unit]);
        return std::nullopt;
    }
    const int amount = field.offset.startsWith(u'-') ? -count : count;
    switch (field.unit.unicode()) {
    case u'd':
        date = date.addDays(amount);
        break;
    case u'w':
        date = date.addDays(qint64{amount} * 7);
        break;
    case u'm':
        date = date.addMonths(amount);
        break;
    default:
        date = date.addYears(amount);
        break;
    }
    if (!date.isValid() || date.year() < 1 || date.year() > 9999) {
        problem = QStringLiteral("moves the date outside the years 1 to 9999");
        return std::nullopt;
    }
    return date;
}

// What a date or time field shows at `moment`, or why it cannot be shown.
QString momentText(const MomentField &field, const QDateTime &moment, QString &problem)
{
    const QString format = field.format ? field.format->toString()
                           : field.time ? QStringLiteral("HH:mm")
                                        : QStringLiteral("yyyy-MM-dd");
    if (format.size() > maxFieldFormatLength) {
        problem =
            QStringLiteral("has a format longer than %1 characters").arg(maxFieldFormatLength);
        return {};
    }
    if (!writesAny(format, field.time ? timeLetters : dateLetters)) {
        problem = field.time ? QStringLiteral("shows nothing of the time: a time format is made "
                                              "of H, h, m and s, as HH:mm")
                             : QStringLiteral("shows nothing of the date: a date format is made "
                                              "of d, M and y, as dd.MM.yyyy");
        return {};
    }
    // Letters of the other kind would print as themselves ("24.12.2026 HH:mm").
    if (writesAny(format, field.time ? dateLetters : timeLetters)) {
        problem = field.time ? QStringLiteral("writes the date in a time format: the date goes "
                                              "in its own field, as {date:dd.MM.yyyy}")
                             : QStringLiteral("writes the time in a date format: the time goes "
                                              "in its own field, as {time:HH:mm}");
        return {};
    }
    if (field.time)
        return moment.time().toString(format);
    const std::optional<QDate> date = movedDate(moment.date(), field, problem);
    return date ? date->toString(format) : QString();
}

} // namespace

void FieldText::append(Kind kind, QStringView text, qsizetype column)
{
    if (kind == Kind::Literal) {
        if (text.isEmpty())
            return;
        if (!m_pieces.empty() && m_pieces.back().kind == Kind::Literal) {
            m_pieces.back().text.append(text);
            return;
        }
    }
    m_pieces.push_back({kind, text.toString(), column});
    m_varies = m_varies || kind != Kind::Literal;
    m_usesRow = m_usesRow || kind == Kind::Column || kind == Kind::Row;
}

void FieldText::appendTo(QString &out, const FieldValues &values) const
{
    for (const Piece &piece : m_pieces) {
        switch (piece.kind) {
        case Kind::Literal:
            out.append(piece.text);
            break;
        case Kind::Column:
            if (values.row && piece.column < values.row.size())
                out.append(values.row.view(piece.column));
            break;
        case Kind::Row:
            out.append(QString::number(values.rowNumber));
            break;
        case Kind::Page:
            out.append(QString::number(values.page));
            break;
        case Kind::Pages:
            out.append(QString::number(values.pages));
            break;
        case Kind::Last:
            out.append(values.last);
            break;
        }
    }
}

QString FieldText::filled(const FieldValues &values) const
{
    // A fixed text alone is shared rather than copied.
    if (m_pieces.size() == 1) {
        const Piece &only = m_pieces.front();
        if (only.kind == Kind::Literal)
            return only.text;
        if (only.kind == Kind::Column && values.row && only.column < values.row.size())
            return values.row[only.column];
    }
    QString out;
    appendTo(out, values);
    return out;
}

QString FieldText::fixedText() const
{
    return m_pieces.empty() ? QString() : m_pieces.front().text;
}

qsizetype FieldText::longestOnRow(CellRows::Row row, qsizetype lastLength) const
{
    qsizetype length = 0;
    for (const Piece &piece : m_pieces) {
        switch (piece.kind) {
        case Kind::Literal:
            length += piece.text.size();
            break;
        case Kind::Column:
            length += piece.column < row.size() ? row.view(piece.column).size() : 0;
            break;
        case Kind::Last:
            length += lastLength;
            break;
        default:
            length += DigitText::capacity;
            break;
        }
    }
    return length;
}

FieldRead readFields(QStringView text, const FieldNames &names, const QString &where)
{
    using Kind = FieldText::Kind;
    FieldRead read;
    FieldText &out = read.text;
    // The first problem is told; the field stays as it stands.
    const auto refuse = [&](QStringView field, const QString &what) {
        if (read.problem.isEmpty())
            read.problem = QStringLiteral("`%1` in %2 %3").arg(field, where, what);
        return false;
    };
    qsizetype copied = 0;
    qsizetype open = text.indexOf(u'{');
    while (open >= 0) {
        qsizetype close = open + 1;
        while (close < text.size() && text[close] != u'}' && text[close] != u'{')
            ++close;
        if (close == text.size())
            break;
        if (text[close] == u'{') {
            open = close;
            continue;
        }
        const QStringView field = text.sliced(open, close - open + 1);
        const QStringView name = field.sliced(1, field.size() - 2);
        std::optional<Kind> kind;
        qsizetype column = 0;
        QString shown;
        bool filledIn = true;
        const std::optional<MomentField> moment = momentField(name);
        if (names.pagePlaceholders && name == u"page") {
            kind = Kind::Page;
        } else if (names.pagePlaceholders && name == u"pages") {
            kind = Kind::Pages;
        } else if (names.pagePlaceholders && name == u"last") {
            kind = Kind::Last;
        } else if (names.columns && name == u"row") {
            kind = Kind::Row;
        } else if (moment && names.moment) {
            QString problem;
            shown = momentText(*moment, *names.moment, problem);
            if (!problem.isEmpty())
                filledIn = refuse(field, problem);
        } else if (names.columns && names.columns->contains(name)) {
            kind = Kind::Column;
            column = names.columns->indexOf(name);
        } else if (names.columns) {
            filledIn = refuse(field, QStringLiteral("is no column of %1").arg(names.fileName));
        } else {
            filledIn = false;
        }
        if (filledIn) {
            out.append(Kind::Literal, text.sliced(copied, open - copied));
            if (kind)
                out.append(*kind, {}, column);
            else
                out.append(Kind::Literal, shown);
            copied = close + 1;
        }
        open = text.indexOf(u'{', close + 1);
    }
    out.append(Kind::Literal, text.sliced(copied));
    return read;
}
