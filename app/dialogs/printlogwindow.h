#pragma once

#include "commands/printcommands.h"
#include "log/sharedlog.h"

#include <QStringList>
#include <QWidget>

#include <functional>
#include <optional>

class QComboBox;
class QDateEdit;
class QLineEdit;
class QFileSystemWatcher;
class QLabel;
class QPushButton;
class QTableWidget;

// The Print Log window: every logged run in a table, newest last, from this
// computer's log or from the shop's shared one, which adds each run's
// machine, user and state and shows the open document's runs or all.
// Ctrl+C copies the selected rows as tab-separated text; Save Manifest...
// writes the manifest of a run this program printed.
class PrintLogWindow : public QWidget
{
    Q_OBJECT

public:
    // The runs of the shared log shown at a time, the newest first; Older
    // Runs shows the page before.
    static constexpr int shownRuns = 1000;

    explicit PrintLogWindow(QWidget *parent = nullptr);

    // Asks where a manifest goes, offering `suggested`; empty when cancelled.
    void setManifestPathChooser(std::function<QString(const QString &suggested)> choose);
    // Shows the log at `path` afresh, and again whenever it changes while the
    // window is open; `printed` are the runs whose manifest can be saved.
    // `notice`, when there is one, stands in the status line.
    void showLog(const QString &path, const QList<PrintedRun> &printed, const QString &notice = {});
    // Shows the shared log at `address` afresh: the runs of the document it
    // knows as `documentKey` (none: no document) or of all, as the window's
    // choice says. Where the log cannot be read, says why and shows the log
    // at `path`.
    void showSharedLog(const SharedLogAddress &address, const QString &documentKey,
                       const QString &path, const QList<PrintedRun> &printed);
    // The selected rows, tab-separated, one line each.
    QString selectedText() const;

    QLabel *statusLabel = nullptr;
    QComboBox *showCombo = nullptr;   // this document's runs, or all
    QLineEdit *machineEdit = nullptr; // empty: every machine's runs
    QDateEdit *dayEdit = nullptr;     // its minimum: every day's
    QPushButton *refreshButton = nullptr;
    QPushButton *olderButton = nullptr;
    QTableWidget *logTable = nullptr;
    QPushButton *saveManifestButton = nullptr;

public Q_SLOTS:
    void copySelection();
    void saveManifest();
    // Reads the log shown again.
    void refresh();

private:
    struct SharedView
    {
        SharedLogAddress address;
        QString documentKey;
    };

    // This computer's log, with `notice` in the status line when there is
    // one; read `again`, it keeps the rows selected.
    void showLocalLog(const QString &notice, bool again);
    // A page of the shared log's runs, the newest before `beforeId` (0: the
    // newest of all) of those the window's filters choose.
    void showSharedRuns(std::int64_t beforeId = 0);
    void fillTable(const QStringList &labels, const QList<QStringList> &rows);
    // The run of the one selected row, when this program printed it.
    const PrintedRun *selectedRun() const;
    void selectionChanged();
    // Watches the log shown, or its folder until the log is made.
    void watchLog();
    void logChanged();

    QString m_path;
    QFileSystemWatcher *m_watcher = nullptr;
    QList<QStringList> m_records; // as the log holds them, one per row
    std::optional<SharedView> m_shared;
    QList<SharedRun> m_sharedRuns; // one per row, while the shared log is shown
    QList<PrintedRun> m_printed;
    QString m_notice;
    std::function<QString(const QString &)> m_chooseManifestPath;
};
