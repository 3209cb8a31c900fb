#pragma once

#include "printcommands.h"

#include <QStringList>
#include <QWidget>

#include <functional>

class QFileSystemWatcher;
class QLabel;
class QPushButton;
class QTableWidget;

// The Print Log window: every logged run in a table, newest last. Ctrl+C
// copies the selected rows as tab-separated text; Save Manifest... writes
// the manifest of a run this program printed.
class PrintLogWindow : public QWidget
{
    Q_OBJECT

public:
    explicit PrintLogWindow(QWidget *parent = nullptr);

    // Asks where a manifest goes, offering `suggested`; empty when cancelled.
    void setManifestPathChooser(std::function<QString(const QString &suggested)> choose);
    // Shows the log at `path` afresh, and again whenever it changes while the
    // window is open; `printed` are the runs whose manifest can be saved.
    void showLog(const QString &path, const QList<PrintedRun> &printed);
    // The selected rows, tab-separated, one line each.
    QString selectedText() const;

    QLabel *statusLabel = nullptr;
    QTableWidget *logTable = nullptr;
    QPushButton *saveManifestButton = nullptr;

public Q_SLOTS:
    void copySelection();
    void saveManifest();

private:
    // The run of the one selected row, when this program printed it.
    const PrintedRun *selectedRun() const;
    void selectionChanged();
    // Watches the log shown, or its folder until the log is made.
    void watchLog();
    void logChanged();

    QString m_path;
    QFileSystemWatcher *m_watcher = nullptr;
    QList<QStringList> m_records; // as the log holds them, one per row
    QList<PrintedRun> m_printed;
    std::function<QString(const QString &)> m_chooseManifestPath;
};
