#include "apptestmain.h"
#include "dialogs/datasourcedialog.h"
#include "documentbuilder.h"
#include "file/documentfile.h"
#include "filebytes.h"
#include "menucaption.h"
#include "modalscript.h"
#include "shellfixture.h"

#include <QAbstractButton>
#include <QAbstractItemModel>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QRandomGenerator>
#include <QScopeGuard>
#include <QTableView>
#include <QTableWidget>
#include <QUndoStack>

#include <functional>

namespace {

using Rows = QList<QStringList>;

// Cells as spreadsheets write them: quoted separators, doubled quotes, line
// breaks inside quotes, empty cells, letters beyond ASCII.
const QStringList cellPieces = {
    QStringLiteral("Müller"),     QStringLiteral("42"),      QStringLiteral("say \"hi\""),
    QStringLiteral("two\nlines"), QStringLiteral(""),        QStringLiteral("Łódź"),
    QStringLiteral("4001"),       QStringLiteral("a SEP b"), QStringLiteral("0.50"),
};

QString csvField(const QString &value, QChar separator)
{
    if (!value.contains(separator) && !value.contains(u'"') && !value.contains(u'\n'))
        return value;
    return u'"' + QString(value).replace(u'"', QStringLiteral("\"\"")) + u'"';
}

QByteArray csvBytes(const Rows &rows, QChar separator)
{
    QString text;
    for (const QStringList &row : rows) {
        QStringList fields;
        for (const QString &value : row)
            fields.append(csvField(value, separator));
        text += fields.join(separator) + u'\n';
    }
    return text.toUtf8();
}

// A header of distinct names, then rows whose first cell is never empty, so
// that every row and column is one the reader keeps.
Rows randomTable(QRandomGenerator &random, QChar separator, int rows)
{
    const int columns = 2 + random.bounded(5);
    Rows table;
    QStringList header;
    for (int c = 0; c < columns; ++c)
        header.append(QStringLiteral("Col %1").arg(c + 1));
    table.append(header);
    for (int r = 0; r < rows; ++r) {
        QStringList row{QStringLiteral("row %1").arg(r + 1)};
        for (int c = 1; c < columns; ++c)
            row.append(QString(cellPieces[random.bounded(cellPieces.size())])
                           .replace(QStringLiteral("SEP"), QString(separator)));
        table.append(row);
    }
    return table;
}

QStringList headerOf(const QAbstractItemModel *model)
{
    QStringList labels;
    for (int c = 0; c < model->columnCount(); ++c)
        labels.append(model->headerData(c, Qt::Horizontal).toString());
    return labels;
}

// The rows' numbers as the preview shows them.
QStringList rowNumbersOf(const QAbstractItemModel *model)
{
    QStringList numbers;
    for (int r = 0; r < model->rowCount(); ++r)
        numbers.append(model->headerData(r, Qt::Vertical).toString());
    return numbers;
}

// `count` numbers from `first` on.
QStringList countedFrom(int first, qsizetype count)
{
    QStringList numbers;
    for (int n = first; n < first + count; ++n)
        numbers.append(QString::number(n));
    return numbers;
}

Rows rowsOf(const QAbstractItemModel *model)
{
    Rows rows;
    for (int r = 0; r < model->rowCount(); ++r) {
        QStringList row;
        for (int c = 0; c < model->columnCount(); ++c)
            row.append(model->index(r, c).data().toString());
        rows.append(row);
    }
    return rows;
}

QStringList itemsOf(const QComboBox *box)
{
    QStringList items;
    for (int i = 0; i < box->count(); ++i)
        items.append(box->itemText(i));
    return items;
}

QComboBox *countingBox(const DataSourceDialog &dialog, int row, int column)
{
    return qobject_cast<QComboBox *>(dialog.countingTable->cellWidget(row, column));
}

void click(QAbstractButton *button)
{
    QTest::mouseClick(button, Qt::LeftButton);
}

void clickOk(const DataSourceDialog &dialog)
{
    click(dialog.buttons->button(QDialogButtonBox::Ok));
}

} // namespace

// File > Data Source through the program: the file chosen, read as the
// choices say, and stored in one undo step.
class TestDataSourceDialog : public ShellTest
{
    Q_OBJECT

private Q_SLOTS:
    void init() { QVERIFY(startShell()); }
    void cleanup() { stopShell(); }

    void previewShowsTheFileAsRead_data()
    {
        QTest::addColumn<QChar>("separator");
        QTest::addColumn<int>("rows");
        QTest::addColumn<QString>("automatic");
        QTest::newRow("semicolons") << QChar(u';') << 412 << "Automatic (semicolon)";
        QTest::newRow("commas") << QChar(u',') << 21 << "Automatic (comma)";
        QTest::newRow("tabs") << QChar(u'\t') << 57 << "Automatic (tab)";
        QTest::newRow("bars") << QChar(u'|') << 33 << "Automatic (bar)";
        QTest::newRow("fewer rows than shown") << QChar(u';') << 5 << "Automatic (semicolon)";
    }

    // The first rows and the count as generated, the columns offered as
    // quantities; without a header the columns are letters and the names a
    // row of data.
    void previewShowsTheFileAsRead()
    {
        QFETCH(QChar, separator);
        QFETCH(int, rows);
        QFETCH(QString, automatic);
        QRandomGenerator random{quint32(rows)};
        const Rows table = randomTable(random, separator, rows);
        const QString path = m_shell->path(QStringLiteral("orders.csv"));
        QVERIFY(writeFile(path, csvBytes(table, separator)));

        const qsizetype shown = std::min<qsizetype>(rows, DataSourceDialog::previewRows);
        QStringList letters;
        for (int c = 0; c < table.front().size(); ++c)
            letters.append(QString(QChar(u'A' + c)));
        ModalScript script;
        script.typePath(path);
        bool driven = false;
        const QStringList problems = script.run([&] {
            openDataSource([&](DataSourceDialog &dialog) {
                // The Choose button's file dialog, answered by the script.
                click(dialog.chooseButton);
                const QAbstractItemModel *preview = dialog.previewTable->model();
                QCOMPARE(dialog.fileEdit->text(), QDir::current().relativeFilePath(path));
                QCOMPARE(headerOf(preview), table.front());
                QCOMPARE(rowsOf(preview), table.mid(1, shown));
                QCOMPARE(rowNumbersOf(preview), countedFrom(2, shown));
                QCOMPARE(dialog.rowCountLabel->text(), QStringLiteral("%1 rows").arg(rows));
                QCOMPARE(itemsOf(dialog.quantityBox), QStringList{"None"} + table.front());
                QCOMPARE(dialog.separatorBox->itemText(0), automatic);
                QCOMPARE(dialog.problemLabel->text(), QString());

                click(dialog.headerBox);
                QCOMPARE(headerOf(preview), letters);
                QCOMPARE(
                    rowsOf(preview),
                    table.mid(0, std::min<qsizetype>(rows + 1, DataSourceDialog::previewRows)));
                QCOMPARE(
                    rowNumbersOf(preview),
                    countedFrom(1, std::min<qsizetype>(rows + 1, DataSourceDialog::previewRows)));
                QCOMPARE(dialog.rowCountLabel->text(), QStringLiteral("%1 rows").arg(rows + 1));
                QCOMPARE(itemsOf(dialog.quantityBox), QStringList{"None"} + letters);
                QCOMPARE(dialog.columnsLabel->text(),
                         QStringLiteral("Columns: {") + letters.join(QStringLiteral("} {")) + u'}');
                click(dialog.buttons->button(QDialogButtonBox::Cancel));
                driven = true;
            });
        });
        QCOMPARE(problems, QStringList());
        QVERIFY(driven);
        QVERIFY(!m_shell->doc().data);
    }

    void sheetChoiceShowsThatSheet_data()
    {
        QTest::addColumn<QString>("suffix");
        QTest::newRow("xlsx") << "xlsx";
        QTest::newRow("ods") << "ods";
    }

    void sheetChoiceShowsThatSheet()
    {
        QFETCH(QString, suffix);
        const Rows orders = {{"Name", "Qty"}, {"Ann", "2"}};
        const Rows stock = {{"Item", "Count", "Shelf"}, {"bolt", "7", "B2"}, {"nut", "9", "C1"}};
        const QString path = m_shell->path(QStringLiteral("job.") + suffix);
        QVERIFY(writeWorkbook({{"Orders", orders}, {"Stock", stock}}, path));

        openDataSource([&](DataSourceDialog &dialog) {
            dialog.chooseFile(path);
            const QAbstractItemModel *preview = dialog.previewTable->model();
            QCOMPARE(itemsOf(dialog.sheetBox), (QStringList{"Orders", "Stock"}));
            QVERIFY(dialog.sheetBox->isEnabled());
            QVERIFY(!dialog.separatorBox->isEnabled());
            QCOMPARE(rowsOf(preview), orders.mid(1));

            QTest::keyClick(dialog.sheetBox, Qt::Key_Down);
            QCOMPARE(headerOf(preview), stock.front());
            QCOMPARE(rowsOf(preview), stock.mid(1));
            QCOMPARE(dialog.rowCountLabel->text(), QStringLiteral("2 rows"));
            QCOMPARE(itemsOf(dialog.quantityBox), QStringList{"None"} + stock.front());
            clickOk(dialog);
        });
        QVERIFY(m_shell->doc().data);
        QCOMPARE(m_shell->doc().data->sheet, QStringLiteral("Stock"));
    }

    void okStoresTheChoicesInOneStep_data()
    {
        QTest::addColumn<bool>("named");
        QTest::addColumn<bool>("agree");
        QTest::newRow("named document") << true << true;
        QTest::newRow("untitled document") << false << true;
        QTest::newRow("cancelled") << true << false;
    }

    // The counting of each number that heads a series, under its table
    // index; saved and read back the same; undone in one step; opened again
    // and left as it was, no step at all.
    void okStoresTheChoicesInOneStep()
    {
        QFETCH(bool, named);
        QFETCH(bool, agree);
        const QString previous = QDir::currentPath();
        QDir::setCurrent(m_shell->dir.path());
        const auto restoreFolder = qScopeGuard([&previous] { QDir::setCurrent(previous); });

        Document doc = emptyDocument(20);
        addObject(doc, KindText, 10, 100, QStringLiteral("{Name}"));
        const int ticket = addNumber(doc, 10, 10, 1, 4);
        const int stub = addNumber(doc, 10, 40, 1, 4);
        const int serial = addNumber(doc, 10, 70, 1, 4);
        doc.objects[ticket].name = QStringLiteral("ticket");
        doc.objects[stub].name = QStringLiteral("stub");
        doc.objects[serial].name = QStringLiteral("serial");
        linkObjects(doc, 0, {ticket, stub});
        propagateLinks(doc);
        m_shell->editor.replace(doc);
        const QString documentPath = m_shell->path(QStringLiteral("job.pgt"));
        if (named)
            QCOMPARE(saveAs(documentPath), QStringList());

        QVERIFY(QDir(m_shell->dir.path()).mkdir(QStringLiteral("jobs")));
        const QString dataPath = m_shell->path(QStringLiteral("jobs/orders.csv"));
        QVERIFY(writeFile(dataPath, "Name;Qty;First\nAnn;2;4001\nBob;0;4201\n"));

        QStringList listed;
        openDataSource([&](DataSourceDialog &dialog) {
            dialog.chooseFile(dataPath);
            dialog.quantityBox->setCurrentIndex(dialog.quantityBox->findText("Qty"));
            for (int row = 0; row < dialog.countingTable->rowCount(); ++row)
                listed.append(dialog.countingTable->item(row, 0)->text());
            QComboBox *startColumn = countingBox(dialog, 1, 2);
            QVERIFY(!startColumn->isEnabled());
            countingBox(dialog, 0, 1)->setCurrentIndex(1);
            countingBox(dialog, 1, 1)->setCurrentIndex(2);
            QVERIFY(startColumn->isEnabled());
            startColumn->setCurrentIndex(startColumn->findText("First"));
            click(dialog.buttons->button(agree ? QDialogButtonBox::Ok : QDialogButtonBox::Cancel));
        });
        QCOMPARE(listed, (QStringList{"ticket", "serial"}));
        const QUndoStack &history = m_shell->editor.undoStack();
        if (!agree) {
            QCOMPARE(documentDump(m_shell->doc()), documentDump(doc));
            QVERIFY(!m_shell->doc().data);
            QCOMPARE(history.count(), 0);
            return;
        }

        const DataSourceSettings expected{
            .file = QStringLiteral("jobs/orders.csv"),
            .quantity = QStringLiteral("Qty"),
            .counting = {{ticket, {.mode = NumberCounting::Mode::Restart}},
                         {serial,
                          {.mode = NumberCounting::Mode::StartColumn,
                           .startColumn = QStringLiteral("First")}}}};
        QCOMPARE(m_shell->doc().data, std::optional(expected));
        QCOMPARE(history.count(), 1);
        QCOMPARE(shownCaption(action("undoAction")->text()), QStringLiteral("Undo Data Source"));

        if (named) {
            ModalScript none;
            QCOMPARE(none.run([this] { action("saveAction")->trigger(); }), QStringList());
        } else {
            QCOMPARE(saveAs(documentPath), QStringList());
        }
        const LoadResult loaded = loadDocument(documentPath, 20);
        QVERIFY(loaded.document);
        QCOMPARE(loaded.document->data, std::optional(expected));

        QStringList shown;
        openDataSource([&](DataSourceDialog &dialog) {
            shown = {dialog.fileEdit->text(), dialog.quantityBox->currentText(),
                     countingBox(dialog, 0, 1)->currentText(),
                     countingBox(dialog, 1, 1)->currentText(),
                     countingBox(dialog, 1, 2)->currentText()};
            clickOk(dialog);
        });
        QCOMPARE(shown, (QStringList{"jobs/orders.csv", "Qty", "restart for each row",
                                     "start where a column says", "First"}));
        QCOMPARE(history.count(), 1);

        action("undoAction")->trigger();
        QVERIFY(!m_shell->doc().data);
    }

    // A start column left unchosen keeps the dialog open and says which
    // number lacks one.
    void startColumnIsNeeded()
    {
        Document doc = emptyDocument(20);
        const int number = addNumber(doc, 10, 10, 1, 4);
        doc.objects[number].name = QStringLiteral("ticket");
        m_shell->editor.replace(doc);
        const QString path = m_shell->path(QStringLiteral("rows.csv"));
        QVERIFY(writeFile(path, QByteArray()));
        bool stillOpen = false;
        openDataSource([&](DataSourceDialog &dialog) {
            // Alt+F reaches the file box, and the label shows no ampersand.
            auto *fileLabel = dialog.findChild<QLabel *>(QStringLiteral("fileLabel"));
            QCOMPARE(fileLabel->buddy(), dialog.fileEdit);
            dialog.chooseFile(path);
            countingBox(dialog, 0, 1)->setCurrentIndex(2);
            dialog.setResult(QDialog::Rejected);
            clickOk(dialog);
            stillOpen = dialog.result() != QDialog::Accepted;
            QCOMPARE(dialog.problemLabel->text(),
                     QStringLiteral("Choose the column where ticket starts."));
        });
        QVERIFY(stillOpen);
        QVERIFY(!m_shell->doc().data);
    }

    void unreadableFileShowsTheMessage_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("encoding");
        QTest::newRow("missing") << "gone.csv" << QByteArray() << QString();
        QTest::newRow("damaged workbook")
            << "broken.xlsx" << QByteArray("PK\x03\x04 not a zip archive at all") << QString();
        QTest::newRow("Windows-1252 read as UTF-8")
            << "latin.csv" << QByteArray("Name;City\nJos\xe9;K\xf6ln\n") << "UTF-8";
        QTest::newRow("a folder") << "folder.csv" << QByteArray() << QString();
    }

    // The model's message in the dialog, an empty preview, nothing thrown.
    void unreadableFileShowsTheMessage()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, bytes);
        QFETCH(QString, encoding);
        const QString path = m_shell->path(name);
        if (name == QLatin1StringView("folder.csv"))
            QVERIFY(QDir(m_shell->dir.path()).mkdir(name));
        else if (!bytes.isEmpty())
            QVERIFY(writeFile(path, bytes));
        DataSourceOptions options;
        if (!encoding.isEmpty())
            options.encoding = encoding;
        const DataRead read = readDataFile(path, options);
        QVERIFY(!read.table);

        openDataSource([&](DataSourceDialog &dialog) {
            dialog.chooseFile(path);
            if (!encoding.isEmpty())
                dialog.encodingBox->setCurrentIndex(dialog.encodingBox->findData(encoding));
            QCOMPARE(dialog.problemLabel->text(), read.error);
            QCOMPARE(dialog.previewTable->model()->rowCount(), 0);
            QCOMPARE(dialog.rowCountLabel->text(), QString());
            QCOMPARE(itemsOf(dialog.quantityBox), QStringList{"None"});
            clickOk(dialog);
        });
        QCOMPARE(m_shell->recorder.errors(), QStringList());
        QVERIFY(m_shell->doc().data);
        QCOMPARE(m_shell->doc().data->file, QDir::current().relativeFilePath(path));
    }

    // What the file was read with other than as asked shows under the
    // preview, and goes with the file.
    void warningsShowUnderThePreview()
    {
        const QString mixed = m_shell->path(QStringLiteral("mixed.csv"));
        QVERIFY(writeFile(mixed,
                          QString("Name;Ort\nJürgen;Köln\n").toUtf8() + "M\xfcller;M\xfcnchen\n"));
        const QString clean = m_shell->path(QStringLiteral("clean.csv"));
        QVERIFY(writeFile(clean, "Name;Ort\nAda;Bonn\n"));
        openDataSource([&](DataSourceDialog &dialog) {
            dialog.chooseFile(mixed);
            QCOMPARE(dialog.warningsLabel->text(),
                     QStringLiteral("mixed.csv: line 3 is not UTF-8 text; it was read as "
                                    "Windows-1252"));
            dialog.chooseFile(clean);
            QCOMPARE(dialog.warningsLabel->text(), QString());
            click(dialog.buttons->button(QDialogButtonBox::Cancel));
        });
        QCOMPARE(m_shell->recorder.errors(), QStringList());
    }

private:
    // File > Data Source, with `drive` working the dialog where the user would.
    void openDataSource(const std::function<void(DataSourceDialog &)> &drive)
    {
        ShellHooks hooks;
        hooks.runModal = [&drive](QDialog &dialog) {
            drive(*qobject_cast<DataSourceDialog *>(&dialog));
        };
        m_frame->setHooks(hooks);
        action("dataSourceAction")->trigger();
    }

    QStringList saveAs(const QString &path)
    {
        ModalScript script;
        script.typePath(path);
        return script.run([this] { action("saveAsAction")->trigger(); });
    }

    // Writes `sheets` as a workbook with the model tests' writer.
    bool writeWorkbook(const QList<std::pair<QString, Rows>> &sheets, const QString &path)
    {
        QJsonArray array;
        for (const auto &[name, rows] : sheets) {
            QJsonArray cells;
            for (const QStringList &row : rows)
                cells.append(QJsonArray::fromStringList(row));
            array.append(QJsonObject{{"name", name}, {"rows", cells}});
        }
        const QString json = m_shell->path(QStringLiteral("sheets.json"));
        if (!writeFile(json, QJsonDocument(QJsonObject{{"sheets", array}}).toJson()))
            return false;
        QProcess writer;
        writer.start(QStringLiteral("/usr/bin/python3"),
                     {QStringLiteral(WRITE_WORKBOOK_SCRIPT), json, path});
        return writer.waitForFinished(60000) && writer.exitCode() == 0;
    }
};

PAGINETTE_APP_TEST_MAIN(TestDataSourceDialog)
#include "tst_datasourcedialog.moc"
