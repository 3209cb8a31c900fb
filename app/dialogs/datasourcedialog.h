#pragma once

#include "datasourcesettings.h"
#include "document.h"

#include <QDialog>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

class QCheckBox;
class QComboBox;
class QDialogButtonBox;
class QFileDialog;
class QLabel;
class QLineEdit;
class QPushButton;
class QStandardItemModel;
class QTableView;
class QTableWidget;

// File > Data Source: the data file a document's runs print from, how it is
// read, the column of quantities, and how each number counts across its
// rows; the first rows as a run reads them with the choices shown.
class DataSourceDialog : public QDialog
{
    Q_OBJECT

public:
    // The rows shown of the file; the count is of them all.
    static constexpr int previewRows = 20;

    explicit DataSourceDialog(QWidget *parent = nullptr);

    // Shows the data source of `doc`, a document at `documentPath` (empty
    // for one without a file), and lists its numbers.
    void showSource(const Document &doc, const QString &documentPath);
    // The choice: none when the document is to print without data.
    std::optional<DataSourceSettings> chosenSource() const;

    QLineEdit *fileEdit = nullptr;
    QPushButton *chooseButton = nullptr;
    QPushButton *noneButton = nullptr;
    QCheckBox *headerBox = nullptr;
    QComboBox *separatorBox = nullptr;
    QComboBox *encodingBox = nullptr;
    QComboBox *sheetBox = nullptr;
    QComboBox *quantityBox = nullptr;
    QTableView *previewTable = nullptr;
    QLabel *rowCountLabel = nullptr;
    // What was read other than as asked, a line per warning.
    QLabel *warningsLabel = nullptr;
    QLabel *problemLabel = nullptr;
    QLabel *columnsLabel = nullptr;
    // A row per number that heads a series: its name, how it counts, and
    // the column it starts from.
    QTableWidget *countingTable = nullptr;
    QDialogButtonBox *buttons = nullptr;

public Q_SLOTS:
    // Takes the file at `path` as the data source: where the Choose
    // button's file dialog leads.
    void chooseFile(const QString &path);
    // Leaves the document without a data source.
    void removeFile();
    void accept() override;

private:
    void askForFile();
    // Reads the file with the choices shown, keeping what the preview shows.
    void readPreview();
    void showTable(const DataTable &table, qsizetype rowCount);
    void showProblem(const QString &problem);
    void listColumns();
    void listNumbers(const Document &doc);
    void updateEnabled();
    DataSourceOptions shownOptions() const;
    // The choices on row `row` of the counting table.
    NumberCounting::Mode countingOn(int row) const;
    QString startColumnOn(int row) const;
    // The first number that starts where a column says without a column.
    QString numberWithoutColumn() const;

    DataSourceSettings m_stored;
    QString m_documentPath;
    // As the document stores it; empty for none.
    QString m_file;
    // The sheet as chosen: empty for the first, whichever it is.
    QString m_sheet;
    QStringList m_columns;
    QStringList m_sheets;
    // The number on each row of the counting table, by table index.
    QList<int> m_numbers;
    QStandardItemModel *m_preview = nullptr;
    QFileDialog *m_fileDialog = nullptr;
    // Set while the controls are filled in, which reads nothing.
    bool m_filling = false;
};
