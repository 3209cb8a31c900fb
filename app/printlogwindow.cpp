#include "printlogwindow.h"

#include "dialogstyle.h"
#include "filedialogs.h"
#include "guarded.h"
#include "manifest.h"
#include "printlog.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelection>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <set>

namespace {

constexpr int fixedColumns = 6;

// What a row shows of a record: the fixed fields, the values every number
// printed, then name, first and last value of each number. A record that
// is no run (a damaged line) shows as it is.
QStringList shownFields(const QStringList &record)
{
    const std::optional<PrintLogEntry> entry = entryFromFields(record);
    if (!entry)
        return record;
    QStringList fields = record.mid(0, fixedColumns);
    const bool withValues = (record.size() - fixedColumns) % 3 == 1;
    fields << (withValues ? record.back() : QString());
    for (const PrintLogEntry::NumberSpan &number : entry->numbers)
        fields << number.name << number.first << number.last;
    return fields;
}

} // namespace

PrintLogWindow::PrintLogWindow(QWidget *parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("PrintLogWindow"));
    setWindowTitle(QStringLiteral("Print Log"));
    setFont(designFont());
    resize(720, 360);

    statusLabel = new QLabel(this);
    statusLabel->setObjectName(QStringLiteral("statusLabel"));
    logTable = new QTableWidget(this);
    logTable->setObjectName(QStringLiteral("logTable"));
    logTable->setEditTriggers(QAbstractItemView::NoEditTriggers);
    logTable->setSelectionBehavior(QAbstractItemView::SelectRows);
    logTable->setSelectionMode(QAbstractItemView::ExtendedSelection);
    logTable->horizontalHeader()->setStretchLastSection(true);
    saveManifestButton = new QPushButton(QStringLiteral("Save Manifest..."), this);
    saveManifestButton->setObjectName(QStringLiteral("saveManifestButton"));
    saveManifestButton->setEnabled(false);
    saveManifestButton->setToolTip(
        QStringLiteral("Writes every number the selected run printed, sheet by sheet, to a CSV "
                       "file; for runs printed since Paginette started"));
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(saveManifestButton);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(statusLabel);
    layout->addWidget(logTable);
    layout->addLayout(buttons);

    auto *copy = new QAction(QStringLiteral("Copy"), this);
    copy->setObjectName(QStringLiteral("copyRowsAction"));
    copy->setShortcut(QKeySequence::Copy);
    copy->setShortcutContext(Qt::WindowShortcut);
    addAction(copy);
    connect(copy, &QAction::triggered, this, &PrintLogWindow::copySelection);
    connect(saveManifestButton, &QPushButton::clicked, this, &PrintLogWindow::saveManifest);
    connect(logTable, &QTableWidget::itemSelectionChanged, this, &PrintLogWindow::selectionChanged);
    // Runs printed elsewhere (paginette-print, a second Paginette) show as they are logged.
    m_watcher = new QFileSystemWatcher(this);
    connect(m_watcher, &QFileSystemWatcher::fileChanged, this, &PrintLogWindow::logChanged);
    connect(m_watcher, &QFileSystemWatcher::directoryChanged, this, &PrintLogWindow::logChanged);

    m_chooseManifestPath = [this](const QString &suggested) {
        const QString path = QFileDialog::getSaveFileName(
            this, QStringLiteral("Save Manifest"), suggested, QStringLiteral("CSV files (*.csv)"));
        const QString refusal = dialogNameRefusal(path);
        if (refusal.isEmpty())
            return path;
        reportError(refusal);
        return QString();
    };
}

void PrintLogWindow::setManifestPathChooser(std::function<QString(const QString &)> choose)
{
    m_chooseManifestPath = std::move(choose);
}

void PrintLogWindow::showLog(const QString &path, const QList<PrintedRun> &printed)
{
    // The same log read again keeps the rows the user selected.
    std::set<int> selected;
    if (path == m_path) {
        for (const QModelIndex &index : logTable->selectionModel()->selectedRows())
            selected.insert(index.row());
    }
    const int rowsBefore = path == m_path ? logTable->rowCount() : 0;
    m_path = path;
    m_printed = printed;
    QString error;
    m_records = PrintLog(path).read(&error);
    if (!m_records.isEmpty() && !entryFromFields(m_records.front()))
        m_records.removeFirst();
    QList<QStringList> rows;
    qsizetype columns = fixedColumns + 4;
    for (const QStringList &record : std::as_const(m_records)) {
        rows.append(shownFields(record));
        columns = std::max(columns, rows.back().size());
    }
    // Each further number takes three more columns, named as the first three.
    const QStringList header = logHeader();
    QStringList labels = header.mid(0, fixedColumns) << header.back();
    for (qsizetype column = labels.size(); column < columns; ++column)
        labels.append(header[fixedColumns + (column - fixedColumns - 1) % 3]);

    logTable->clear();
    logTable->setColumnCount(static_cast<int>(columns));
    logTable->setHorizontalHeaderLabels(labels);
    logTable->setRowCount(static_cast<int>(rows.size()));
    for (int row = 0; row < rows.size(); ++row) {
        for (int column = 0; column < rows[row].size(); ++column)
            logTable->setItem(row, column, new QTableWidgetItem(rows[row][column]));
    }
    logTable->resizeColumnsToContents();
    QItemSelection reselected;
    for (const int row : selected) {
        if (row < logTable->rowCount())
            reselected.select(logTable->model()->index(row, 0), logTable->model()->index(row, 0));
    }
    logTable->selectionModel()->select(reselected, QItemSelectionModel::ClearAndSelect |
                                                       QItemSelectionModel::Rows);
    // Runs logged since are newest last: in view.
    if (logTable->rowCount() > rowsBefore && rowsBefore > 0)
        logTable->scrollToBottom();
    watchLog();
    if (!error.isEmpty())
        statusLabel->setText(error);
    else if (rows.isEmpty())
        statusLabel->setText(QStringLiteral("No run has been logged yet (%1).").arg(path));
    else
        statusLabel->setText(path);
    selectionChanged();
}

void PrintLogWindow::watchLog()
{
    const QStringList watched = m_watcher->files() + m_watcher->directories();
    if (!watched.isEmpty())
        m_watcher->removePaths(watched);
    // A log not made yet is watched for in the nearest folder there is.
    QString watch = QFileInfo(m_path).absoluteFilePath();
    while (!QFileInfo::exists(watch) && QFileInfo(watch).absolutePath() != watch)
        watch = QFileInfo(watch).absolutePath();
    m_watcher->addPath(watch);
}

void PrintLogWindow::logChanged()
{
    if (isVisible())
        showLog(m_path, m_printed);
}

QString PrintLogWindow::selectedText() const
{
    std::set<int> rows;
    for (const QModelIndex &index : logTable->selectionModel()->selectedRows())
        rows.insert(index.row());
    QStringList lines;
    for (const int row : rows) {
        // A row's cells run up to its last field: the numbers of other runs
        // add no empty ones.
        QStringList fields;
        for (int column = 0; const QTableWidgetItem *item = logTable->item(row, column); ++column) {
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

void PrintLogWindow::copySelection()
{
    const QString text = selectedText();
    if (!text.isEmpty())
        QApplication::clipboard()->setText(text);
}

const PrintedRun *PrintLogWindow::selectedRun() const
{
    const QModelIndexList rows = logTable->selectionModel()->selectedRows();
    if (rows.size() != 1 || rows.front().row() >= m_records.size())
        return nullptr;
    const QStringList &record = m_records[rows.front().row()];
    const auto found = std::find_if(m_printed.begin(), m_printed.end(), [&](const PrintedRun &run) {
        return logFields(run.entry) == record;
    });
    return found == m_printed.end() ? nullptr : &*found;
}

void PrintLogWindow::selectionChanged()
{
    saveManifestButton->setEnabled(selectedRun() != nullptr);
}

void PrintLogWindow::saveManifest()
{
    guarded([this] {
        const PrintedRun *run = selectedRun();
        if (!run)
            return;
        const QFileInfo document(run->entry.document);
        const QString suggested =
            (document.isAbsolute() ? document.dir() : QDir::home())
                .filePath(document.completeBaseName() + QStringLiteral("-manifest.csv"));
        const QString path = m_chooseManifestPath(suggested);
        if (path.isEmpty())
            return;
        const QString error = ::saveManifest(path, run->document, run->plan);
        if (!error.isEmpty())
            reportError(error);
        else
            statusLabel->setText(QStringLiteral("The manifest was written to %1").arg(path));
    });
}
