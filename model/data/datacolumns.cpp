#include "data/datacolumns.h"

#include <QSet>

#include <algorithm>

namespace {

// One past a row's last cell that holds something.
qsizetype usedWidth(CellRows::Row row)
{
    qsizetype width = row.size();
    while (width > 0 && row.view(width - 1).isEmpty())
        --width;
    return width;
}

// `name`, or the first of "name (2)", "name (3)", ... not in `taken`.
QString distinctName(const QString &name, const QSet<QString> &taken)
{
    if (!taken.contains(name))
        return name;
    for (int copy = 2;; ++copy) {
        const QString candidate = QStringLiteral("%1 (%2)").arg(name).arg(copy);
        if (!taken.contains(candidate))
            return candidate;
    }
}

} // namespace

QString columnLetters(qsizetype index)
{
    QString letters;
    for (qsizetype n = index + 1; n > 0; n = (n - 1) / 26)
        letters.prepend(QChar(u'A' + char16_t((n - 1) % 26)));
    return letters;
}

NamedRows nameColumns(CellRows rows, bool header)
{
    qsizetype rowCount = rows.size();
    while (rowCount > 0 && usedWidth(rows[rowCount - 1]) == 0)
        --rowCount;
    rows.resize(rowCount);
    qsizetype width = 0;
    for (const CellRows::Row row : rows)
        width = std::max(width, usedWidth(row));

    NamedRows named;
    const QStringList given = header && !rows.isEmpty() ? rows.takeFirst() : QStringList();
    named.columns.resize(width);
    // Each name the file gives is kept where it is first met; a name met
    // again, and a column the file names not, then takes the first free of
    // "Name (2)", "Name (3)", ... or of its letters.
    QSet<QString> taken;
    for (qsizetype column = 0; column < width && column < given.size(); ++column) {
        const QString name = given[column].trimmed();
        if (!name.isEmpty() && !taken.contains(name)) {
            named.columns[column] = name;
            taken.insert(name);
        }
    }
    for (qsizetype column = 0; column < width; ++column) {
        if (!named.columns[column].isEmpty())
            continue;
        const QString name = column < given.size() ? given[column].trimmed() : QString();
        named.columns[column] = distinctName(name.isEmpty() ? columnLetters(column) : name, taken);
        taken.insert(named.columns[column]);
    }
    rows.setWidth(width);
    rows.squeeze();
    named.rows = std::move(rows);
    return named;
}
