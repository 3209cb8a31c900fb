#include "dialogs/datasourcedialog.h"

#include "filedialogs.h"
#include "guarded.h"
#include "kinds.h"
#include "numbering.h"
#include "objecttable.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCursor>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScopeGuard>
#include <QStandardItemModel>
#include <QTableView>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

struct Choice
{
    const char *value;
    const char *title;
};

constexpr Choice separatorChoices[] = {
    {"", "Automatic"}, {",", "Comma"}, {";", "Semicolon"}, {"\t", "Tab"}, {"|", "Bar"},
};

constexpr Choice encodingChoices[] = {
    {"auto", "Automatic"},        {"UTF-8", "UTF-8"},       {"UTF-16", "UTF-16"},
    {"UTF-16LE", "UTF-16LE"},     {"UTF-16BE", "UTF-16BE"}, {"windows-1252", "Windows-1252"},
    {"ISO-8859-1", "ISO-8859-1"},
};

struct CountingChoice
{
    NumberCounting::Mode mode;
    const char *title;
};

constexpr CountingChoice countingChoices[] = {
    {NumberCounting::Mode::On, "on through the rows"},
    {NumberCounting::Mode::Restart, "restart for each row"},
    {NumberCounting::Mode::StartColumn, "start where a column says"},
};

enum CountingColumn
{
    NumberColumn,
    ModeColumn,
    StartColumnColumn,
};

QComboBox *choiceBox(QWidget *parent, const char *name)
{
    auto *box = new QComboBox(parent);
    box->setObjectName(QLatin1String(name));
    return box;
}

template <std::size_t N> void addChoices(QComboBox *box, const Choice (&choices)[N])
{
    for (const Choice &choice : choices)
        box->addItem(QString::fromUtf8(choice.title), QString::fromUtf8(choice.value));
}

// Shows `value` as the box's choice; a value the box does not offer (one a
// document was saved with elsewhere) is added, so that OK keeps it.
void selectValue(QComboBox *box, const QString &value, const QString &title)
{
    int index = box->findData(value);
    if (index < 0) {
        box->addItem(title, value);
        index = box->count() - 1;
    }
    box->setCurrentIndex(index);
}

// Fills `box` with `columns`, after a "None" choice when `none` is given,
// keeping its choice; a chosen column the file no longer has stays, marked.
void listColumnsIn(QComboBox *box, const QStringList &columns, const QString &none)
{
    const QString chosen = box->currentData().toString();
    box->clear();
    if (!none.isEmpty())
        box->addItem(none, QString());
    for (const QString &column : columns)
        box->addItem(column, column);
    if (!chosen.isEmpty())
        selectValue(box, chosen,
                    columns.isEmpty() ? chosen
                                      : QStringLiteral("%1 (no column of the file)").arg(chosen));
}

QString separatorTitle(const QString &separator)
{
    for (const Choice &choice : separatorChoices) {
        if (separator == QLatin1StringView(choice.value))
            return QString::fromUtf8(choice.title);
    }
    return QStringLiteral("\"%1\"").arg(separator);
}

QString rowCountText(qsizetype rows)
{
    return rows == 1 ? QStringLiteral("1 row") : QStringLiteral("%L1 rows").arg(rows);
}

QString fieldsText(const QStringList &columns)
{
    QStringList fields;
    for (const QString &column : columns)
        fields.append(u'{' + column + u'}');
    return QStringLiteral("Columns: ") + fields.join(u' ');
}

} // namespace

DataSourceDialog::DataSourceDialog(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("DataSourceDialog"));
    setWindowTitle(QStringLiteral("Data Source"));

    fileEdit = new QLineEdit(this);
    fileEdit->setObjectName(QStringLiteral("fileEdit"));
    fileEdit->setReadOnly(true);
    fileEdit->setPlaceholderText(QStringLiteral("None: a run of Pages pages"));
    chooseButton = new QPushButton(QStringLiteral("&Choose..."), this);
    chooseButton->setObjectName(QStringLiteral("chooseButton"));
    noneButton = new QPushButton(QStringLiteral("&None"), this);
    noneButton->setObjectName(QStringLiteral("noneButton"));
    auto *fileRow = new QHBoxLayout;
    fileRow->addWidget(fileEdit, 1);
    fileRow->addWidget(chooseButton);
    fileRow->addWidget(noneButton);

    headerBox = new QCheckBox(QStringLiteral("First row holds column &names"), this);
    headerBox->setObjectName(QStringLiteral("headerBox"));
    separatorBox = choiceBox(this, "separatorBox");
    addChoices(separatorBox, separatorChoices);
    encodingBox = choiceBox(this, "encodingBox");
    addChoices(encodingBox, encodingChoices);
    sheetBox = choiceBox(this, "sheetBox");
    quantityBox = choiceBox(this, "quantityBox");
    quantityBox->setToolTip(
        QStringLiteral("The column that says how many pages (or labels) each row prints; "
                       "0 skips the row"));

    // A row of several controls: the label names the file box itself, or
    // it would show its ampersand.
    auto *fileLabel = new QLabel(QStringLiteral("&File:"), this);
    fileLabel->setObjectName(QStringLiteral("fileLabel"));
    fileLabel->setBuddy(fileEdit);
    auto *form = new QFormLayout;
    form->addRow(fileLabel, fileRow);
    form->addRow(QString(), headerBox);
    form->addRow(QStringLiteral("&Separator:"), separatorBox);
    form->addRow(QStringLiteral("&Encoding:"), encodingBox);
    form->addRow(QStringLiteral("S&heet:"), sheetBox);
    form->addRow(QStringLiteral("&Quantity column:"), quantityBox);

    m_preview = new QStandardItemModel(this);
    previewTable = new QTableView(this);
    previewTable->setObjectName(QStringLiteral("previewTable"));
    previewTable->setModel(m_preview);
    previewTable->setEditTriggers(QAbstractItemView::NoEditTriggers);
    previewTable->setMinimumSize(560, 220);
    rowCountLabel = new QLabel(this);
    rowCountLabel->setObjectName(QStringLiteral("rowCountLabel"));
    warningsLabel = new QLabel(this);
    warningsLabel->setObjectName(QStringLiteral("warningsLabel"));
    warningsLabel->setWordWrap(true);
    warningsLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
    warningsLabel->setTextFormat(Qt::PlainText);
    problemLabel = new QLabel(this);
    problemLabel->setObjectName(QStringLiteral("problemLabel"));
    problemLabel->setWordWrap(true);
    problemLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
    problemLabel->setStyleSheet(QStringLiteral("color: #c00000"));
    columnsLabel = new QLabel(this);
    columnsLabel->setObjectName(QStringLiteral("columnsLabel"));
    columnsLabel->setWordWrap(true);
    columnsLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
    columnsLabel->setToolTip(QStringLiteral(
        "Type {Column name} in a text, a number's prefix or suffix, or a barcode's text for the "
        "row's value; {row} for the row's number; {date}, {date:dd.MM.yyyy}, {date+30d} and "
        "{time} for the run's date and time."));

    countingTable = new QTableWidget(0, 3, this);
    countingTable->setObjectName(QStringLiteral("countingTable"));
    countingTable->setHorizontalHeaderLabels(
        {QStringLiteral("Number"), QStringLiteral("Counts"), QStringLiteral("Column")});
    countingTable->horizontalHeader()->setStretchLastSection(true);
    countingTable->verticalHeader()->hide();
    countingTable->setEditTriggers(QAbstractItemView::NoEditTriggers);
    countingTable->setSelectionMode(QAbstractItemView::NoSelection);
    auto *countingGroup = new QGroupBox(QStringLiteral("Numbers across the rows"), this);
    countingGroup->setObjectName(QStringLiteral("countingGroup"));
    auto *countingLayout = new QVBoxLayout(countingGroup);
    countingLayout->addWidget(countingTable);

    buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->setObjectName(QStringLiteral("buttons"));
    buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("okButton"));
    buttons->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("cancelButton"));

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(previewTable, 1);
    layout->addWidget(rowCountLabel);
    layout->addWidget(warningsLabel);
    layout->addWidget(problemLabel);
    layout->addWidget(columnsLabel);
    layout->addWidget(countingGroup);
    layout->addWidget(buttons);

    connect(chooseButton, &QPushButton::clicked, this, &DataSourceDialog::askForFile);
    connect(noneButton, &QPushButton::clicked, this, &DataSourceDialog::removeFile);
    connect(headerBox, &QCheckBox::toggled, this, &DataSourceDialog::readPreview);
    for (QComboBox *box : {separatorBox, encodingBox})
        connect(box, &QComboBox::currentIndexChanged, this, &DataSourceDialog::readPreview);
    // Only the user's choice of sheet is kept: a refill of the box is none.
    connect(sheetBox, &QComboBox::activated, this, [this](int index) {
        m_sheet = index == 0 ? QString() : sheetBox->itemData(index).toString();
        readPreview();
    });
    connect(buttons, &QDialogButtonBox::accepted, this, &DataSourceDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

void DataSourceDialog::showSource(const Document &doc, const QString &documentPath)
{
    m_filling = true;
    m_stored = doc.data.value_or(DataSourceSettings{});
    m_documentPath = documentPath;
    m_file = doc.data ? m_stored.file : QString();
    m_sheet = m_stored.sheet;
    m_sheets.clear();
    headerBox->setChecked(m_stored.header);
    selectValue(separatorBox, m_stored.separator, separatorTitle(m_stored.separator));
    selectValue(encodingBox, m_stored.encoding, m_stored.encoding);
    quantityBox->clear();
    quantityBox->addItem(m_stored.quantity, m_stored.quantity);
    m_columns.clear();
    listNumbers(doc);
    m_filling = false;
    readPreview();
}

std::optional<DataSourceSettings> DataSourceDialog::chosenSource() const
{
    if (m_file.isEmpty())
        return std::nullopt;
    DataSourceSettings chosen = m_stored;
    chosen.file = m_file;
    chosen.header = headerBox->isChecked();
    chosen.separator = separatorBox->currentData().toString();
    chosen.encoding = encodingBox->currentData().toString();
    chosen.sheet = m_sheet;
    chosen.quantity = quantityBox->currentData().toString();
    for (int row = 0; row < m_numbers.size(); ++row) {
        const int index = m_numbers[row];
        const auto stored = m_stored.counting.find(index);
        NumberCounting counting =
            stored == m_stored.counting.end() ? NumberCounting{} : stored->second;
        counting.mode = countingOn(row);
        counting.startColumn =
            counting.mode == NumberCounting::Mode::StartColumn ? startColumnOn(row) : QString();
        // A number left counting on is stored only where it was before, so
        // that a document opened and left as it was is saved as it was.
        if (counting == NumberCounting{} && stored == m_stored.counting.end())
            chosen.counting.erase(index);
        else
            chosen.counting[index] = counting;
    }
    return chosen;
}

void DataSourceDialog::chooseFile(const QString &path)
{
    m_file = relativeDataFile(path, m_documentPath);
    m_sheet.clear();
    m_sheets.clear();
    m_filling = true;
    // What the last file was read with says nothing of this one.
    separatorBox->setCurrentIndex(0);
    encodingBox->setCurrentIndex(0);
    m_filling = false;
    readPreview();
}

void DataSourceDialog::removeFile()
{
    m_file.clear();
    m_sheet.clear();
    m_sheets.clear();
    readPreview();
}

void DataSourceDialog::accept()
{
    const QString number = numberWithoutColumn();
    if (!number.isEmpty()) {
        problemLabel->setText(QStringLiteral("Choose the column where %1 starts.").arg(number));
        return;
    }
    QDialog::accept();
}

void DataSourceDialog::askForFile()
{
    guarded([this] {
        if (!m_fileDialog) {
            m_fileDialog = new QFileDialog(this, QStringLiteral("Choose Data File"));
            m_fileDialog->setObjectName(QStringLiteral("dataFileDialog"));
            m_fileDialog->setFileMode(QFileDialog::ExistingFile);
            m_fileDialog->setNameFilters(
                {QStringLiteral("Data files (*.csv *.tsv *.tab *.txt *.xlsx *.ods)"),
                 QStringLiteral("All files (*)")});
        }
        const QString current = resolvedDataFile(m_file, m_documentPath);
        if (!current.isEmpty())
            m_fileDialog->selectFile(current);
        else if (!m_documentPath.isEmpty())
            m_fileDialog->setDirectory(QFileInfo(m_documentPath).absolutePath());
        QString path;
        if (runFileDialog(*m_fileDialog, path))
            chooseFile(path);
    });
}

void DataSourceDialog::readPreview()
{
    if (m_filling)
        return;
    guarded([this] {
        fileEdit->setText(m_file);
        const QString path = resolvedDataFile(m_file, m_documentPath);
        fileEdit->setToolTip(path);
        if (m_file.isEmpty()) {
            m_sheets.clear();
            showProblem(QString());
            return;
        }
        QGuiApplication::setOverrideCursor(QCursor(Qt::BusyCursor));
        const auto restoreCursor = qScopeGuard([] { QGuiApplication::restoreOverrideCursor(); });
        const DataSourceOptions options = shownOptions();
        DataRead read = readDataFile(path, options);
        if (!read.table) {
            // A sheet the workbook no longer has: its sheets are offered.
            if (!m_sheet.isEmpty()) {
                DataSourceOptions firstSheet = options;
                firstSheet.sheet.clear();
                const DataRead workbook = readDataFile(path, firstSheet);
                m_sheets = workbook.table ? workbook.table->sheets : QStringList();
            }
            showProblem(read.error);
            return;
        }
        // Only what the preview shows is kept of a file that may be large.
        const qsizetype rowCount = read.table->rows.size();
        if (rowCount > previewRows)
            read.table->rows.resize(previewRows);
        showTable(*read.table, rowCount);
    });
}

void DataSourceDialog::showTable(const DataTable &table, qsizetype rowCount)
{
    m_preview->clear();
    m_preview->setColumnCount(int(table.columns.size()));
    m_preview->setHorizontalHeaderLabels(table.columns);
    // Rows numbered as the spreadsheet shows them, as messages name them.
    QStringList sheetRows;
    for (qsizetype r = 0; r < table.rows.size(); ++r) {
        QList<QStandardItem *> cells;
        for (const QString &value : table.rows[r].toList())
            cells.append(new QStandardItem(value));
        m_preview->appendRow(cells);
        sheetRows.append(QString::number(table.sheetRow(r)));
    }
    m_preview->setVerticalHeaderLabels(sheetRows);
    rowCountLabel->setText(rowCountText(rowCount));
    warningsLabel->setText(table.warnings.join(u'\n'));
    problemLabel->clear();
    m_columns = table.columns;
    m_sheets = table.sheets;
    // What Automatic found, where the file was read as text.
    separatorBox->setItemText(
        0, table.separator.isEmpty() || table.sheets.size() > 0
               ? QStringLiteral("Automatic")
               : QStringLiteral("Automatic (%1)").arg(separatorTitle(table.separator).toLower()));
    encodingBox->setItemText(0, table.encoding.isEmpty()
                                    ? QStringLiteral("Automatic")
                                    : QStringLiteral("Automatic (%1)").arg(table.encoding));
    listColumns();
}

void DataSourceDialog::showProblem(const QString &problem)
{
    m_preview->clear();
    rowCountLabel->clear();
    warningsLabel->clear();
    problemLabel->setText(problem);
    m_columns.clear();
    separatorBox->setItemText(0, QStringLiteral("Automatic"));
    encodingBox->setItemText(0, QStringLiteral("Automatic"));
    listColumns();
}

void DataSourceDialog::listColumns()
{
    listColumnsIn(quantityBox, m_columns, QStringLiteral("None"));
    for (int row = 0; row < countingTable->rowCount(); ++row)
        listColumnsIn(static_cast<QComboBox *>(countingTable->cellWidget(row, StartColumnColumn)),
                      m_columns, QString());
    sheetBox->clear();
    for (const QString &sheet : std::as_const(m_sheets))
        sheetBox->addItem(sheet, sheet);
    if (!m_sheets.isEmpty())
        selectValue(sheetBox, m_sheet.isEmpty() ? m_sheets.front() : m_sheet, m_sheet);
    else if (!m_sheet.isEmpty())
        selectValue(sheetBox, m_sheet, m_sheet);
    columnsLabel->setText(m_columns.isEmpty() ? QString() : fieldsText(m_columns));
    updateEnabled();
}

void DataSourceDialog::listNumbers(const Document &doc)
{
    m_numbers.clear();
    const std::vector<int> heads = seriesHeads(doc);
    for (int i = 0; i < doc.count(); ++i) {
        // A link's members count as its head, a number showing another's
        // text as that one.
        if (kindRow(doc.objects[i].kind).numbered && heads[std::size_t(i)] == i &&
            shownSource(doc, i) == i)
            m_numbers.append(i);
    }
    countingTable->setRowCount(int(m_numbers.size()));
    for (int row = 0; row < m_numbers.size(); ++row) {
        const int index = m_numbers[row];
        countingTable->setItem(row, NumberColumn, new QTableWidgetItem(shownName(doc, index)));
        auto *modeBox = new QComboBox(countingTable);
        for (const CountingChoice &choice : countingChoices)
            modeBox->addItem(QString::fromUtf8(choice.title), int(choice.mode));
        auto *columnBox = new QComboBox(countingTable);
        const auto stored = m_stored.counting.find(index);
        const NumberCounting counting =
            stored == m_stored.counting.end() ? NumberCounting{} : stored->second;
        modeBox->setCurrentIndex(modeBox->findData(int(counting.mode)));
        if (!counting.startColumn.isEmpty())
            selectValue(columnBox, counting.startColumn, counting.startColumn);
        connect(modeBox, &QComboBox::currentIndexChanged, this, &DataSourceDialog::updateEnabled);
        countingTable->setCellWidget(row, ModeColumn, modeBox);
        countingTable->setCellWidget(row, StartColumnColumn, columnBox);
    }
    countingTable->resizeColumnsToContents();
    countingTable->parentWidget()->setVisible(!m_numbers.isEmpty());
}

void DataSourceDialog::updateEnabled()
{
    const bool chosen = !m_file.isEmpty();
    const bool workbook = !m_sheets.isEmpty();
    noneButton->setEnabled(chosen);
    headerBox->setEnabled(chosen);
    separatorBox->setEnabled(chosen && !workbook);
    encodingBox->setEnabled(chosen && !workbook);
    sheetBox->setEnabled(chosen && sheetBox->count() > 0);
    quantityBox->setEnabled(chosen);
    for (int row = 0; row < countingTable->rowCount(); ++row) {
        countingTable->cellWidget(row, StartColumnColumn)
            ->setEnabled(countingOn(row) == NumberCounting::Mode::StartColumn);
    }
    countingTable->setEnabled(chosen);
}

DataSourceOptions DataSourceDialog::shownOptions() const
{
    return {headerBox->isChecked(), separatorBox->currentData().toString(),
            encodingBox->currentData().toString(), m_sheet};
}

QString DataSourceDialog::numberWithoutColumn() const
{
    if (m_file.isEmpty())
        return {};
    for (int row = 0; row < m_numbers.size(); ++row) {
        if (countingOn(row) == NumberCounting::Mode::StartColumn && startColumnOn(row).isEmpty())
            return countingTable->item(row, NumberColumn)->text();
    }
    return {};
}

NumberCounting::Mode DataSourceDialog::countingOn(int row) const
{
    const auto *box = static_cast<const QComboBox *>(countingTable->cellWidget(row, ModeColumn));
    return NumberCounting::Mode(box->currentData().toInt());
}

QString DataSourceDialog::startColumnOn(int row) const
{
    const auto *box =
        static_cast<const QComboBox *>(countingTable->cellWidget(row, StartColumnColumn));
    return box->currentData().toString();
}
