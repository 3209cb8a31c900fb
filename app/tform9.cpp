#include "tform9.h"

#include "dialogstyle.h"
#include "printlog.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QHeaderView>
#include <QLabel>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <set>

TForm9::TForm9(QWidget *parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("TForm9"));
    setWindowTitle(QStringLiteral("Print Log"));
    setFont(designFont());
    resize(720, 360);

    Status = new QLabel(this);
    Status->setObjectName(QStringLiteral("Status"));
    LogTable = new QTableWidget(this);
    LogTable->setObjectName(QStringLiteral("LogTable"));
    LogTable->setEditTriggers(QAbstractItemView::NoEditTriggers);
    LogTable->setSelectionBehavior(QAbstractItemView::SelectRows);
    LogTable->setSelectionMode(QAbstractItemView::ExtendedSelection);
    LogTable->horizontalHeader()->setStretchLastSection(true);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(Status);
    layout->addWidget(LogTable);

    auto *copy = new QAction(QStringLiteral("Copy"), this);
    copy->setObjectName(QStringLiteral("CopyRows"));
    copy->setShortcut(QKeySequence::Copy);
    copy->setShortcutContext(Qt::WindowShortcut);
    addAction(copy);
    connect(copy, &QAction::triggered, this, &TForm9::copySelection);
}

void TForm9::showLog(const QString &path)
{
    QString error;
    QList<QStringList> records = PrintLog(path).read(&error);
    const QStringList header = records.isEmpty() ? logHeader() : records.takeFirst();
    qsizetype columns = header.size();
    for (const QStringList &record : records)
        columns = std::max(columns, record.size());
    // Each further number takes three more columns, named as the first three.
    QStringList labels = header;
    const QStringList numberColumns = logHeader().mid(6);
    for (qsizetype column = labels.size(); column < columns; ++column)
        labels.append(numberColumns[(column - 6) % 3]);

    LogTable->clear();
    LogTable->setColumnCount(static_cast<int>(columns));
    LogTable->setHorizontalHeaderLabels(labels);
    LogTable->setRowCount(static_cast<int>(records.size()));
    for (int row = 0; row < records.size(); ++row) {
        for (int column = 0; column < records[row].size(); ++column)
            LogTable->setItem(row, column, new QTableWidgetItem(records[row][column]));
    }
    LogTable->resizeColumnsToContents();
    if (!error.isEmpty())
        Status->setText(error);
    else if (records.isEmpty())
        Status->setText(QStringLiteral("No run has been logged yet (%1).").arg(path));
    else
        Status->setText(path);
}

QString TForm9::selectedText() const
{
    std::set<int> rows;
    for (const QModelIndex &index : LogTable->selectionModel()->selectedRows())
        rows.insert(index.row());
    QStringList lines;
    for (const int row : rows) {
        // A row's cells run up to its last field: the numbers of other runs
        // add no empty ones.
        QStringList fields;
        for (int column = 0; const QTableWidgetItem *item = LogTable->item(row, column); ++column) {
            QString field = item->text();
            // A tab or a line break would split the field.
            field.replace(QLatin1Char('\t'), QLatin1Char(' '));
            field.replace(QLatin1Char('\n'), QLatin1Char(' '));
            field.replace(QLatin1Char('\r'), QLatin1Char(' '));
            fields.append(field);
        }
        lines.append(fields.join(QLatin1Char('\t')));
    }
    return lines.isEmpty() ? QString() : lines.join(QLatin1Char('\n')) + QLatin1Char('\n');
}

void TForm9::copySelection()
{
    const QString text = selectedText();
    if (!text.isEmpty())
        QApplication::clipboard()->setText(text);
}
