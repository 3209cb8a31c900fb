#include "dialogs/printlogwindow.h"

#include "dialogstyle.h"
#include "filedialogs.h"
#include "guarded.h"
#include "log/manifest.h"
#include "log/printlog.h"
#include "sharedlog/sharedlogreads.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDateEdit>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelection>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
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
    // The values follow the numbers' triples; a run's date may follow them.
    const qsizetype rest = record.size() - fixedColumns;
    fields << (rest % 3 != 0 ? record[fixedColumns + rest / 3 * 3] : QString());
    for (const PrintLogEntry::NumberSpan &number : entry->numbers)
        fields << number.name << number.first << number.last;
    return fields;
}

const QString dateFormat = QStringLiteral("yyyy-MM-dd HH:mm:ss");

QString stateText(SharedRun::State state)
{
    switch (state) {
    case SharedRun::State::Reserved:
        // Its run has not ended, or never will: its values count as printed.
        return QStringLiteral("unfinished");
    case SharedRun::State::Complete:
        return QStringLiteral("complete");
    case SharedRun::State::Stopped:
        return QStringLiteral("stopped");
    }
    return {};
}

// A row of the shared log: the local log's fixed fields, the machine, user
// and state, the values every number printed, then name, first and last
// value of each number.
QStringList sharedFields(const SharedRun &run, const QString &state)
{
    const QStringList fields = logFields(run.entry);
    return fields.mid(0, fixedColumns)
           << run.machine << run.user << state << fields.back()
           << fields.mid(fixedColumns, fields.size() - fixedColumns - 1);
}

QStringList sharedHeader()
{
    const QStringList header = logHeader();
    return header.mid(0, fixedColumns) << QStringLiteral("Machine") << QStringLiteral("User")
                                       << QStringLiteral("State") << header.back();
}

// Whether `run` of the shared log is `printed`, a run of this program: the
// shared log and the local one give a run the time it was reserved.
bool isRun(const SharedRun &run, const PrintedRun &printed)
{
    const PrintLogEntry &entry = printed.entry;
    return run.machine == thisMachine() && run.entry.document == entry.document &&
           run.entry.printer == entry.printer &&
           run.entry.when.toString(dateFormat) == entry.when.toString(dateFormat) &&
           run.entry.firstPage == entry.firstPage && run.entry.lastPage == entry.lastPage &&
           run.entry.copies == entry.copies;
}

// The labels of `columns` columns: `fixed`, then each number's three, named
// as the local log's header names them.
QStringList columnLabels(QStringList fixed, qsizetype columns)
{
    const QStringList header = logHeader();
    for (qsizetype column = 0; fixed.size() < columns; ++column)
        fixed.append(header[fixedColumns + column % 3]);
    return fixed;
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
    statusLabel->setWordWrap(true);
    showCombo = new QComboBox(this);
    showCombo->setObjectName(QStringLiteral("showCombo"));
    showCombo->addItems({QStringLiteral("This document"), QStringLiteral("All documents")});
    auto *showLabel = new QLabel(QStringLiteral("&Show:"), this);
    showLabel->setBuddy(showCombo);
    refreshButton = new QPushButton(QStringLiteral("&Refresh"), this);
    refreshButton->setObjectName(QStringLiteral("refreshButton"));
    refreshButton->setToolTip(QStringLiteral("Reads the shared print log again, with the runs "
                                             "other machines logged since"));
    machineEdit = new QLineEdit(this);
    machineEdit->setObjectName(QStringLiteral("machineEdit"));
    machineEdit->setPlaceholderText(QStringLiteral("every machine"));
    auto *machineLabel = new QLabel(QStringLiteral("&Machine:"), this);
    machineLabel->setBuddy(machineEdit);
    dayEdit = new QDateEdit(this);
    dayEdit->setObjectName(QStringLiteral("dayEdit"));
    dayEdit->setCalendarPopup(true);
    dayEdit->setMinimumDate(QDate(2000, 1, 1));
    dayEdit->setSpecialValueText(QStringLiteral("every day"));
    dayEdit->setDate(dayEdit->minimumDate());
    auto *dayLabel = new QLabel(QStringLiteral("&Day:"), this);
    dayLabel->setBuddy(dayEdit);
    olderButton = new QPushButton(QStringLiteral("&Older Runs"), this);
    olderButton->setObjectName(QStringLiteral("olderButton"));
    olderButton->setEnabled(false);
    olderButton->setToolTip(QStringLiteral("Shows the runs logged before those shown"));
    auto *sharedControls = new QWidget(this);
    sharedControls->setObjectName(QStringLiteral("sharedControls"));
    auto *sharedRow = new QHBoxLayout(sharedControls);
    sharedRow->setContentsMargins(0, 0, 0, 0);
    sharedRow->addWidget(showLabel);
    sharedRow->addWidget(showCombo);
    sharedRow->addWidget(machineLabel);
    sharedRow->addWidget(machineEdit);
    sharedRow->addWidget(dayLabel);
    sharedRow->addWidget(dayEdit);
    sharedRow->addStretch();
    sharedRow->addWidget(olderButton);
    sharedRow->addWidget(refreshButton);
    sharedControls->hide();
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
    // A window of its own, closed as a dialog is: its button or Escape.
    auto *closeButton = new QPushButton(QStringLiteral("Close"), this);
    closeButton->setObjectName(QStringLiteral("closeButton"));
    connect(closeButton, &QPushButton::clicked, this, &QWidget::close);
    auto *closeWindow = new QAction(this);
    closeWindow->setShortcut(Qt::Key_Escape);
    closeWindow->setShortcutContext(Qt::WindowShortcut);
    connect(closeWindow, &QAction::triggered, this, &QWidget::close);
    addAction(closeWindow);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(saveManifestButton);
    buttons->addWidget(closeButton);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(statusLabel);
    layout->addWidget(sharedControls);
    layout->addWidget(logTable);
    layout->addLayout(buttons);

    auto *copy = new QAction(QStringLiteral("Copy"), this);
    copy->setObjectName(QStringLiteral("copyRowsAction"));
    copy->setShortcut(QKeySequence::Copy);
    copy->setShortcutContext(Qt::WindowShortcut);
    addAction(copy);
    connect(copy, &QAction::triggered, this, &PrintLogWindow::copySelection);
    connect(saveManifestButton, &QPushButton::clicked, this, &PrintLogWindow::saveManifest);
    connect(refreshButton, &QPushButton::clicked, this, &PrintLogWindow::refresh);
    const auto filterChanged = [this] {
        if (m_shared)
            guarded([this] { showSharedRuns(); });
    };
    connect(showCombo, &QComboBox::currentIndexChanged, this, filterChanged);
    connect(machineEdit, &QLineEdit::editingFinished, this, filterChanged);
    connect(dayEdit, &QDateEdit::dateChanged, this, filterChanged);
    connect(olderButton, &QPushButton::clicked, this, [this] {
        // The table shows the oldest of the page first.
        if (m_shared && !m_sharedRuns.isEmpty())
            guarded([this] { showSharedRuns(m_sharedRuns.front().id); });
    });
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

void PrintLogWindow::showLog(const QString &path, const QList<PrintedRun> &printed,
                             const QString &notice)
{
    const bool again = path == m_path && !m_shared;
    m_shared.reset();
    m_path = path;
    m_printed = printed;
    findChild<QWidget *>(QStringLiteral("sharedControls"))->hide();
    showLocalLog(notice, again);
}

void PrintLogWindow::showSharedLog(const SharedLogAddress &address, const QString &documentKey,
                                   const QString &path, const QList<PrintedRun> &printed)
{
    m_shared = SharedView{address, documentKey};
    m_path = path;
    m_printed = printed;
    findChild<QWidget *>(QStringLiteral("sharedControls"))->show();
    // Without a document there are only all runs to show.
    {
        const QSignalBlocker quiet(showCombo);
        if (documentKey.isEmpty())
            showCombo->setCurrentIndex(1);
        showCombo->setEnabled(!documentKey.isEmpty());
    }
    showSharedRuns();
}

void PrintLogWindow::refresh()
{
    guarded([this] {
        if (m_shared)
            showSharedRuns();
        else
            showLocalLog(m_notice, true);
    });
}

void PrintLogWindow::showLocalLog(const QString &notice, bool again)
{
    // The same log read again keeps the rows the user selected.
    std::set<int> selected;
    if (again) {
        for (const QModelIndex &index : logTable->selectionModel()->selectedRows())
            selected.insert(index.row());
    }
    const int rowsBefore = again ? logTable->rowCount() : 0;
    m_sharedRuns.clear();
    m_notice = notice;
    const PrintLog::Read<QStringList> read = PrintLog(m_path).read();
    const QString &error = read.error;
    m_records = read.items;
    if (!m_records.isEmpty() && !entryFromFields(m_records.front()))
        m_records.removeFirst();
    QList<QStringList> rows;
    qsizetype columns = fixedColumns + 4;
    for (const QStringList &record : std::as_const(m_records)) {
        rows.append(shownFields(record));
        columns = std::max(columns, rows.back().size());
    }
    // Each further number takes three more columns, named as the first three.
    fillTable(columnLabels(logHeader().mid(0, fixedColumns) << logHeader().back(), columns), rows);
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
    else if (!notice.isEmpty())
        statusLabel->setText(notice);
    else if (rows.isEmpty())
        statusLabel->setText(QStringLiteral("No run has been logged yet (%1).").arg(m_path));
    else
        statusLabel->setText(m_path);
    selectionChanged();
}

void PrintLogWindow::showSharedRuns(std::int64_t beforeId)
{
    const bool allDocuments = showCombo->currentIndex() == 1;
    const SharedLog::RunFilter filter{
        .documentKey = allDocuments ? QString() : m_shared->documentKey,
        .machine = machineEdit->text().trimmed(),
        .day = dayEdit->date() == dayEdit->minimumDate() ? QDate() : dayEdit->date(),
        .beforeId = beforeId,
        .limit = shownRuns};
    Outcome<QList<SharedRun>> read = sharedRuns(m_shared->address, filter);
    if (!read) {
        showLocalLog(read.error + QStringLiteral("; this computer's print log is shown."), false);
        return;
    }
    QList<SharedRun> &runs = *read;
    // The log gives the newest first; the window shows them last.
    std::reverse(runs.begin(), runs.end());
    const qsizetype logged = runs.size();
    // Runs printed here that the log has not had yet follow the newest.
    if (beforeId == 0)
        runs.append(waitingRuns(filter));
    m_records.clear();
    m_sharedRuns = runs;
    m_notice.clear();
    const QStringList watched = m_watcher->files() + m_watcher->directories();
    if (!watched.isEmpty())
        m_watcher->removePaths(watched);
    QList<QStringList> rows;
    const QStringList header = sharedHeader();
    qsizetype columns = header.size() + 3;
    for (const SharedRun &run : std::as_const(m_sharedRuns)) {
        rows.append(sharedFields(run, rows.size() < logged ? stateText(run.state)
                                                           : QStringLiteral("waiting to be sent")));
        columns = std::max(columns, rows.back().size());
    }
    fillTable(columnLabels(header, columns), rows);
    logTable->scrollToBottom();
    const QString log = m_shared->address.shown();
    const QString which = allDocuments ? QString() : QStringLiteral(" of this document");
    const bool filtered = !filter.machine.isEmpty() || !filter.day.isNull();
    const QString chosen = filtered ? QStringLiteral(" chosen") : QString();
    // A full page may have older runs behind it.
    olderButton->setEnabled(logged == shownRuns);
    QString status;
    if (logged == 0)
        status = QStringLiteral("The shared print log %1 holds no%2 run%3%4.")
                     .arg(log, beforeId ? QStringLiteral(" older") : QString(), which,
                          filtered ? chosen : QStringLiteral(" yet"));
    else if (logged == shownRuns)
        status = QStringLiteral("The shared print log %1: the %2 %3 runs%4%5.")
                     .arg(log, beforeId ? QStringLiteral("next older") : QStringLiteral("newest"))
                     .arg(shownRuns)
                     .arg(which, chosen);
    else
        status = QStringLiteral("The shared print log %1: the%2 runs%3%4.")
                     .arg(log, beforeId ? QStringLiteral(" older") : QString(), which, chosen);
    // They wait until a run reaches a shared log; a run's end, the log its
    // run was reserved in.
    if (const qsizetype waiting = rows.size() - logged; waiting > 0)
        status += QStringLiteral(" Printed here and waiting to be sent to a shared log: %1 run%2.")
                      .arg(waiting)
                      .arg(waiting == 1 ? QString() : QStringLiteral("s"));
    statusLabel->setText(status);
    selectionChanged();
}

void PrintLogWindow::fillTable(const QStringList &labels, const QList<QStringList> &rows)
{
    logTable->clear();
    logTable->setColumnCount(static_cast<int>(labels.size()));
    logTable->setHorizontalHeaderLabels(labels);
    logTable->setRowCount(static_cast<int>(rows.size()));
    for (int row = 0; row < rows.size(); ++row) {
        for (int column = 0; column < rows[row].size(); ++column)
            logTable->setItem(row, column, new QTableWidgetItem(rows[row][column]));
    }
    logTable->resizeColumnsToContents();
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
        showLocalLog(m_notice, true);
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
    if (rows.size() != 1)
        return nullptr;
    const int row = rows.front().row();
    const auto found =
        std::find_if(m_printed.begin(), m_printed.end(), [&](const PrintedRun &printed) {
            if (row < m_sharedRuns.size())
                return isRun(m_sharedRuns[row], printed);
            return row < m_records.size() && logFields(printed.entry) == m_records[row];
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
        const QString error = ::saveManifest(
            path, run->data ? RunTexts(run->document, *run->data) : RunTexts(run->document),
            run->plan);
        if (!error.isEmpty())
            reportError(error);
        else
            statusLabel->setText(QStringLiteral("The manifest was written to %1").arg(path));
    });
}
