#pragma once

#include <QWidget>

class QLabel;
class QTableWidget;

// The Print Log window: every logged run in a table, newest last. Ctrl+C
// copies the selected rows as tab-separated text.
class TForm9 : public QWidget
{
    Q_OBJECT

public:
    explicit TForm9(QWidget *parent = nullptr);

    // Shows the log at `path` afresh.
    void showLog(const QString &path);
    // The selected rows, tab-separated, one line each.
    QString selectedText() const;

    QLabel *Status = nullptr;
    QTableWidget *LogTable = nullptr;

public Q_SLOTS:
    void copySelection();
};
