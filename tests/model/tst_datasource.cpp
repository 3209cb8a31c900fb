#include "data/datasource.h"
#include "documentbuilder.h"
#include "rundata.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRandomGenerator>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTest>

#include <zip.h>

Q_DECLARE_METATYPE(DataLimits)
Q_DECLARE_METATYPE(DataSourceOptions)

namespace {

using Entries = QList<std::pair<QString, QByteArray>>;
using Rows = QList<QStringList>;

// A zip archive of `entries`, made in memory; each entry (or the one named
// `encrypted`) encrypted with a password when `password` is given.
QByteArray zipOf(const Entries &entries, const char *password = nullptr,
                 const QString &encrypted = {})
{
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t *source = zip_source_buffer_create(nullptr, 0, 0, &error);
    zip_t *archive = zip_open_from_source(source, ZIP_TRUNCATE, &error);
    zip_source_keep(source);
    for (const auto &[name, bytes] : entries) {
        zip_source_t *entry = zip_source_buffer(archive, bytes.constData(), bytes.size(), 0);
        const zip_int64_t index = zip_file_add(archive, name.toUtf8().constData(), entry, 0);
        if (password && (encrypted.isEmpty() || encrypted == name))
            zip_file_set_encryption(archive, zip_uint64_t(index), ZIP_EM_TRAD_PKWARE, password);
    }
    zip_close(archive);
    zip_stat_t stat;
    zip_source_stat(source, &stat);
    QByteArray zipped(qsizetype(stat.size), Qt::Uninitialized);
    zip_source_open(source);
    zip_source_read(source, zipped.data(), stat.size);
    zip_source_close(source);
    zip_source_free(source);
    return zipped;
}

// The parts of an .xlsx workbook of one sheet named Data whose <sheetData>
// holds `sheetData`, with one cell style of number format `formatId` (its
// code `formatCode` when it is a custom one).
Entries xlsxEntries(const QByteArray &sheetData, int formatId = 0, const QString &formatCode = {},
                    bool date1904 = false, const QByteArray &sharedStrings = {})
{
    const QByteArray main = R"( xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main")";
    const QByteArray relationship =
        "http://schemas.openxmlformats.org/officeDocument/2006/relationships";
    const QByteArray code = formatCode.toHtmlEscaped().toUtf8();
    return {
        {"[Content_Types].xml", "<Types/>"},
        {"_rels/.rels", "<Relationships><Relationship Id=\"rId1\" Type=\"" + relationship +
                            "/officeDocument\" Target=\"xl/workbook.xml\"/></Relationships>"},
        {"xl/workbook.xml", "<workbook" + main + " xmlns:r=\"" + relationship + "\">" +
                                (date1904 ? "<workbookPr date1904=\"1\"/>" : "") +
                                "<sheets><sheet name=\"Data\" sheetId=\"1\" r:id=\"rId1\"/>"
                                "</sheets></workbook>"},
        {"xl/_rels/workbook.xml.rels",
         "<Relationships><Relationship Id=\"rId1\" Type=\"" + relationship +
             "/worksheet\" Target=\"worksheets/sheet1.xml\"/><Relationship Id=\"rId2\" Type=\"" +
             relationship + "/styles\" Target=\"styles.xml\"/><Relationship Id=\"rId3\" Type=\"" +
             relationship + "/sharedStrings\" Target=\"sharedStrings.xml\"/></Relationships>"},
        {"xl/styles.xml", "<styleSheet" + main +
                              "><numFmts><numFmt numFmtId=\"164\" formatCode=\"" + code +
                              "\"/></numFmts><cellXfs><xf numFmtId=\"0\"/><xf numFmtId=\"" +
                              QByteArray::number(formatId) + "\"/></cellXfs></styleSheet>"},
        {"xl/sharedStrings.xml", "<sst" + main + ">" + sharedStrings + "</sst>"},
        {"xl/worksheets/sheet1.xml",
         "<worksheet" + main + "><sheetData>" + sheetData + "</sheetData></worksheet>"},
    };
}

QByteArray xlsxOf(const QByteArray &sheetData, int formatId = 0, const QString &formatCode = {},
                  bool date1904 = false, const QByteArray &sharedStrings = {})
{
    return zipOf(xlsxEntries(sheetData, formatId, formatCode, date1904, sharedStrings));
}

// `entries` with the part `name` holding `bytes` in place of its own.
Entries withPart(Entries entries, const QString &name, const QByteArray &bytes)
{
    for (auto &[entryName, entryBytes] : entries) {
        if (entryName == name)
            entryBytes = bytes;
    }
    return entries;
}

// An .xlsx workbook whose only cell, A1, holds `value` of type `type` in
// style 1.
QByteArray xlsxCell(const QByteArray &value, const QByteArray &type, int formatId,
                    const QString &formatCode = {}, bool date1904 = false)
{
    return xlsxOf("<row r=\"1\"><c r=\"A1\" s=\"1\"" +
                      (type.isEmpty() ? "" : " t=\"" + type + "\"") + "><v>" + value +
                      "</v></c></row>",
                  formatId, formatCode, date1904);
}

// The parts of an .ods workbook of one sheet named Data holding `rows`, and
// a manifest holding `manifestEntries`.
Entries odsEntries(const QByteArray &rows, const QByteArray &manifestEntries = {})
{
    return {
        {"mimetype", "application/vnd.oasis.opendocument.spreadsheet"},
        {"META-INF/manifest.xml",
         "<manifest:manifest "
         "xmlns:manifest=\"urn:oasis:names:tc:opendocument:xmlns:manifest:1.0\">" +
             manifestEntries + "</manifest:manifest>"},
        {"content.xml",
         "<office:document-content "
         "xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\" "
         "xmlns:table=\"urn:oasis:names:tc:opendocument:xmlns:table:1.0\" "
         "xmlns:text=\"urn:oasis:names:tc:opendocument:xmlns:text:1.0\"><office:body>"
         "<office:spreadsheet><table:table table:name=\"Data\">" +
             rows + "</table:table></office:spreadsheet></office:body></office:document-content>"},
    };
}

QByteArray odsOf(const QByteArray &rows, const QByteArray &manifestEntries = {})
{
    return zipOf(odsEntries(rows, manifestEntries));
}

QByteArray odsCell(const QByteArray &cell)
{
    return odsOf("<table:table-row>" + cell + "</table:table-row>");
}

// Office's container of a workbook saved with a password: the compound
// file's header and a directory sector naming its streams.
QByteArray passwordProtectedWorkbook()
{
    QByteArray file(1024, '\0');
    file.replace(0, 8, "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1");
    const QStringList streams = {"Root Entry", "EncryptionInfo", "EncryptedPackage"};
    for (qsizetype i = 0; i < streams.size(); ++i) {
        QStringEncoder utf16(QStringEncoder::Utf16LE);
        const QByteArray name = utf16.encode(streams[i]);
        file.replace(512 + 128 * i, name.size(), name);
    }
    return file;
}

// Cells of text a generated table draws its values from: words with and
// without the letters of Western European languages, what a delimited file
// must quote, and, where the encoding has them, other scripts.
const QStringList asciiPieces = {"Smith", "Order", "12", "4001", "A-17", "x", " ", "  "};
const QStringList westernPieces = {"Müller", "Straße", "Köln",  "café",   "Señor",  "Øster",
                                   "Noël",   "Ålborg", "naïve", "façade", "€ 5,00", "Größe"};
const QStringList quotedPieces = {",", ";", "\t", "|", "\"", "\n", "\"\"", "a\nb"};
const QStringList otherScripts = {"日本語", "Ελλάδα", "Москва", "😀", "Łódź"};

// Up to three pieces, words apart as in any text.
QString valueOf(QRandomGenerator &random, const QStringList &pieces)
{
    QStringList words;
    for (int i = random.bounded(4); i > 0; --i)
        words.append(pieces[random.bounded(int(pieces.size()))]);
    return words.join(u' ');
}

// A table of random values, `columns` wide: a header of distinct names when
// `header`, and a last cell that holds something, so that the table's width
// and length are its own.
Rows randomTable(QRandomGenerator &random, const QStringList &pieces, int columns, bool header)
{
    Rows rows;
    const int length = 1 + random.bounded(20);
    for (int r = 0; r < length; ++r) {
        QStringList row;
        for (int c = 0; c < columns; ++c) {
            row.append(header && r == 0 ? pieces[random.bounded(int(pieces.size()))].trimmed() +
                                              QString::number(c + 1)
                                        : valueOf(random, pieces));
        }
        rows.append(row);
    }
    if (rows.constLast().constLast().isEmpty())
        rows.last().last() = QStringLiteral("last");
    return rows;
}

// A column's letters, spelled out for the few a test table has.
QString lettersOf(qsizetype column)
{
    const QString alphabet = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZ");
    return column < 26 ? QString(alphabet[column])
                       : QString(alphabet[column / 26 - 1]) + alphabet[column % 26];
}

// What a table reads back as: its first row as names or letters.
DataTable expectedTable(const Rows &rows, bool header, qsizetype width)
{
    DataTable table;
    Rows data = header ? rows.sliced(1) : rows;
    for (qsizetype c = 0; c < width; ++c) {
        table.columns.append(header && c < rows.front().size() ? rows.front()[c] : lettersOf(c));
    }
    for (QStringList &row : data) {
        row.resize(width);
        table.rows.append(row);
    }
    return table;
}

enum class TextEncoding
{
    Utf8,
    Utf8WithMark,
    Utf16LE,
    Utf16BE,
    Windows1252
};

QByteArray encoded(const QString &text, TextEncoding encoding)
{
    switch (encoding) {
    case TextEncoding::Utf8:
        return text.toUtf8();
    case TextEncoding::Utf8WithMark:
        return "\xEF\xBB\xBF" + text.toUtf8();
    case TextEncoding::Utf16LE:
        return QByteArray("\xFF\xFE") + QStringEncoder(QStringEncoder::Utf16LE).encode(text);
    case TextEncoding::Utf16BE:
        return QByteArray("\xFE\xFF") + QStringEncoder(QStringEncoder::Utf16BE).encode(text);
    case TextEncoding::Windows1252:
        break;
    }
    QByteArray bytes;
    for (const QChar c : text)
        bytes.append(c == QChar(0x20AC) ? '\x80' : char(c.unicode()));
    return bytes;
}

struct GeneratedText
{
    QByteArray bytes;
    DataSourceOptions options;
    DataTable expected;
};

// A delimited file as spreadsheets and other programs write one: any of the
// separators (named, found, or given on a sep= line), any line end (inside
// quoted values too), quotes where needed or around every value, rows that
// leave off their empty cells, now and then a row longer than the rest, in
// one of the encodings.
GeneratedText generatedText(quint32 seed)
{
    QRandomGenerator random(seed);
    const auto encoding = TextEncoding(random.bounded(5));
    QStringList pieces = asciiPieces + westernPieces + quotedPieces;
    if (encoding != TextEncoding::Windows1252)
        pieces += otherScripts;
    const int columns = 1 + random.bounded(6);
    GeneratedText generated;
    generated.options.header = random.bounded(2) == 0;
    Rows rows = randomTable(random, pieces, columns, generated.options.header);
    qsizetype width = columns;
    if (rows.size() > 1 && random.bounded(4) == 0) {
        QStringList &longer = rows[1 + random.bounded(int(rows.size() - 1))];
        for (int extra = 1 + random.bounded(2); extra > 0; --extra, ++width)
            longer.append(QStringLiteral("extra"));
    }

    const QChar separator = QStringLiteral(",;\t|")[random.bounded(4)];
    const QString lineEnd = QStringList{"\r\n", "\n", "\r"}[random.bounded(3)];
    // One column has no separator to find.
    enum
    {
        Named,
        SeparatorLine,
        Found
    } separatorGiven = decltype(Found)(random.bounded(columns > 1 ? 3 : 2));
    const bool quoteAll = random.bounded(4) == 0;
    // A separator to be found is one no value holds outside quotes.
    const QString quoted = separatorGiven == Found ? QStringLiteral(",;\t|\"\r\n")
                                                   : QString(separator) + QStringLiteral("\"\r\n");
    QString text =
        separatorGiven == SeparatorLine ? QStringLiteral("sep=") + separator + lineEnd : QString();
    for (QStringList row : rows) {
        if (random.bounded(3) == 0) {
            while (!row.isEmpty() && row.constLast().isEmpty())
                row.removeLast();
        }
        QStringList cells;
        for (QString value : row) {
            if (quoteAll || std::any_of(value.cbegin(), value.cend(),
                                        [&](QChar c) { return quoted.contains(c); })) {
                value = u'"' + value.replace(u'"', QStringLiteral("\"\"")) + u'"';
            }
            cells.append(value.replace(u'\n', lineEnd));
        }
        text += cells.join(separator) + lineEnd;
    }
    if (random.bounded(2) == 0)
        text.chop(lineEnd.size());

    generated.bytes = encoded(text, encoding);
    if (separatorGiven == Named)
        generated.options.separator = separator;
    generated.expected = expectedTable(rows, generated.options.header, width);
    const bool ascii =
        std::all_of(text.cbegin(), text.cend(), [](QChar c) { return c.unicode() < 0x80; });
    generated.expected.encoding = QStringList{"UTF-8", "UTF-8", "UTF-16LE", "UTF-16BE",
                                              ascii ? "UTF-8" : "windows-1252"}[int(encoding)];
    return generated;
}

// A table's names and rows as JSON: equal exactly when the tables are, and
// readable in a failure's message.
QString shown(const DataTable &table)
{
    QJsonArray rows = {QJsonArray::fromStringList(table.columns)};
    for (const QStringList &row : table.rows.toLists())
        rows.append(QJsonArray::fromStringList(row));
    return QString::fromUtf8(QJsonDocument(rows).toJson(QJsonDocument::Compact));
}

} // namespace

class TestDataSource : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void generatedTextFilesReadBack();
    void workbooksReadAsTheirTables();
    void columnsAreNamedDistinctly_data();
    void columnsAreNamedDistinctly();
    void separatorsAreFound_data();
    void separatorsAreFound();
    void encodingsAreFound_data();
    void encodingsAreFound();
    void cellsShowWhatTheSpreadsheetShows_data();
    void cellsShowWhatTheSpreadsheetShows();
    void refusals_data();
    void refusals();
    void workbookPartsAreOpenedAlike_data();
    void workbookPartsAreOpenedAlike();
    void aStopEndsTheReading_data();
    void aStopEndsTheReading();
    void boundsHoldForWhatIsBuilt_data();
    void boundsHoldForWhatIsBuilt();
    void separatorTiesAreSettled_data();
    void separatorTiesAreSettled();
    void mixedEncodingsAreNamed_data();
    void mixedEncodingsAreNamed();
    void cellsShowTheirFormats_data();
    void cellsShowTheirFormats();
    void quantitiesAndStartsTakeTheCellsValue_data();
    void quantitiesAndStartsTakeTheCellsValue();

private:
    // That the file of `bytes` named `fileName` is refused, with a message
    // that starts with `error`.
    static void checkRefusal(const QByteArray &bytes, const QString &fileName,
                             const DataSourceOptions &options, const DataLimits &limits,
                             const QString &error);
};

void TestDataSource::generatedTextFilesReadBack()
{
    for (quint32 seed = 1; seed <= 1000; ++seed) {
        const GeneratedText generated = generatedText(seed);
        const DataRead read =
            readData(generated.bytes, QStringLiteral("orders.csv"), generated.options);
        const QString context =
            QStringLiteral("seed %1, file:\n%2")
                .arg(seed)
                .arg(QString::fromLatin1(generated.bytes.toPercentEncoding(" ,;|\"")));
        QVERIFY2(read.table, qPrintable(read.error + u'\n' + context));
        QVERIFY2(shown(*read.table) == shown(generated.expected),
                 qPrintable(shown(*read.table) + QStringLiteral("\n--- expected\n") +
                            shown(generated.expected) + u'\n' + context));
        QCOMPARE(read.table->encoding, generated.expected.encoding);
    }
}

void TestDataSource::workbooksReadAsTheirTables()
{
    const QString python = QStringLiteral("/usr/bin/python3");
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    for (quint32 seed = 1; seed <= 3; ++seed) {
        QRandomGenerator random(seed);
        const QStringList pieces = asciiPieces + westernPieces + quotedPieces + otherScripts;
        const bool header = random.bounded(2) == 0;
        const QStringList names = {QStringLiteral("Orders"), QStringLiteral("Zweites Blatt")};
        QList<Rows> tables;
        QJsonArray sheets;
        for (const QString &name : names) {
            tables.append(randomTable(random, pieces, 1 + random.bounded(6), header));
            // Equal rows side by side, which an .ods file writes as one.
            tables.last().append(tables.constLast().constLast());
            QJsonArray rows;
            for (const QStringList &row : std::as_const(tables.last()))
                rows.append(QJsonArray::fromStringList(row));
            sheets.append(QJsonObject{{"name", name}, {"rows", rows}});
        }
        QFile json(folder.filePath(QStringLiteral("table.json")));
        QVERIFY(json.open(QIODevice::WriteOnly));
        json.write(QJsonDocument(QJsonObject{{"sheets", sheets}}).toJson());
        json.close();

        for (const QString &suffix : {QStringLiteral("xlsx"), QStringLiteral("ods")}) {
            const QString path = folder.filePath(QStringLiteral("orders.") + suffix);
            QProcess writer;
            writer.start(python, {QStringLiteral(WRITE_WORKBOOK_SCRIPT), json.fileName(), path});
            QVERIFY2(writer.waitForFinished(60000) && writer.exitCode() == 0,
                     qPrintable(writer.errorString() +
                                QString::fromLocal8Bit(writer.readAllStandardError())));
            for (qsizetype sheet = 0; sheet < names.size(); ++sheet) {
                DataSourceOptions options;
                options.header = header;
                // The first sheet read as the one given when none is named.
                options.sheet = sheet == 0 ? QString() : names[sheet];
                const DataRead read = readDataFile(path, options);
                QVERIFY2(read.table, qPrintable(read.error));
                const DataTable expected =
                    expectedTable(tables[sheet], header, tables[sheet].front().size());
                QVERIFY2(shown(*read.table) == shown(expected),
                         qPrintable(QStringLiteral("%1, seed %2, sheet %3:\n%4\n--- expected\n%5")
                                        .arg(suffix)
                                        .arg(seed)
                                        .arg(sheet)
                                        .arg(shown(*read.table), shown(expected))));
                QCOMPARE(read.table->sheets, names);
            }
        }
    }
}

void TestDataSource::columnsAreNamedDistinctly_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<bool>("header");
    QTest::addColumn<QStringList>("columns");

    QTest::newRow("names trimmed")
        << QByteArray(" Name ,City\n") << true << QStringList{"Name", "City"};
    QTest::newRow("a name met again") << QByteArray("Name,Name,Name (2),Name\n") << true
                                      << QStringList{"Name", "Name (3)", "Name (2)", "Name (4)"};
    QTest::newRow("an empty name takes its letters")
        << QByteArray(",City,\n1,2,3\n") << true << QStringList{"A", "City", "C"};
    QTest::newRow("letters give way to the file's names")
        << QByteArray(",A\n1,2\n") << true << QStringList{"A (2)", "A"};
    QTest::newRow("a longer row's cells under letters")
        << QByteArray("Name\nx,y,z\n") << true << QStringList{"Name", "B", "C"};
    QTest::newRow("cells empty in every row make no column")
        << QByteArray("Name,,\nx,,\n") << true << QStringList{"Name"};
    QStringList letters;
    for (char16_t letter = u'A'; letter <= u'Z'; ++letter)
        letters.append(QString(QChar(letter)));
    QTest::newRow("no header: A to Z, AA, AB") << QByteArray(27, ',') + "x\n"
                                               << false << letters + QStringList{"AA", "AB"};
}

void TestDataSource::columnsAreNamedDistinctly()
{
    QFETCH(QByteArray, text);
    QFETCH(bool, header);
    QFETCH(QStringList, columns);

    DataSourceOptions options;
    options.header = header;
    const DataRead read = readData(text, QStringLiteral("orders.csv"), options);
    QVERIFY2(read.table, qPrintable(read.error));
    QCOMPARE(read.table->columns, columns);
    for (const CellRows::Row row : read.table->rows)
        QCOMPARE(row.size(), columns.size());
}

void TestDataSource::separatorsAreFound_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<QString>("separator");
    QTest::addColumn<Rows>("rows");

    QTest::newRow("comma") << QByteArray("a,b\n1,2\n") << "orders.csv"
                           << "," << Rows{{"a", "b"}, {"1", "2"}};
    QTest::newRow("semicolon beside decimal commas")
        << QByteArray("Name;Price\nTee;1,50\nKaffee;2,75\n") << "orders.csv"
        << ";" << Rows{{"Name", "Price"}, {"Tee", "1,50"}, {"Kaffee", "2,75"}};
    QTest::newRow("commas inside quotes split nothing")
        << QByteArray("\"Smith, Ann\"|\"1,2,3\"\n\"Lee, Bo\"|4\n") << "orders.csv"
        << "|" << Rows{{"Smith, Ann", "1,2,3"}, {"Lee, Bo", "4"}};
    QTest::newRow("tab") << QByteArray("a\tb, c\n1\t2\n") << "orders.txt"
                         << "\t" << Rows{{"a", "b, c"}, {"1", "2"}};
    QTest::newRow("a sep= line is obeyed and no row")
        << QByteArray("sep=|\r\na,b|c\r\n") << "orders.csv"
        << "|" << Rows{{"a,b", "c"}};
    QTest::newRow("one column of a .tsv file") << QByteArray("a\nb\n") << "orders.tsv"
                                               << "\t" << Rows{{"a"}, {"b"}};
    QTest::newRow("one column") << QByteArray("a\nb\n") << "orders.csv"
                                << "," << Rows{{"a"}, {"b"}};
    QTest::newRow("text after a closing quote stays in its cell")
        << QByteArray("\"a\"b,c\n") << "orders.csv"
        << "," << Rows{{"ab", "c"}};
    QTest::newRow("empty lines inside are empty rows, at the end none")
        << QByteArray("a,b\n\n1,2\n\n\n") << "orders.csv"
        << "," << Rows{{"a", "b"}, {"", ""}, {"1", "2"}};
}

void TestDataSource::separatorsAreFound()
{
    QFETCH(QByteArray, text);
    QFETCH(QString, fileName);
    QFETCH(QString, separator);
    QFETCH(Rows, rows);

    DataSourceOptions options;
    options.header = false;
    const DataRead read = readData(text, fileName, options);
    QVERIFY2(read.table, qPrintable(read.error));
    QCOMPARE(read.table->separator, separator);
    QCOMPARE(read.table->rows.toLists(), rows);
}

void TestDataSource::encodingsAreFound_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("encoding");
    QTest::addColumn<QString>("text");

    QTest::newRow("German text saved by a spreadsheet on Windows")
        << QByteArray("Name;Ort\nJ\xfcrgen M\xfcller;K\xf6ln\nStra\xdf"
                      "e;M\xfcnchen\n")
        << "windows-1252"
        << "Name;Ort\nJürgen Müller;Köln\nStraße;München";
    QTest::newRow("French text in Latin-1") << QByteArray("nom,ville\nNo\xebl,Besan\xe7on\nRen\xe9"
                                                          "e,Orl\xe9"
                                                          "ans\n")
                                            << "windows-1252"
                                            << "nom,ville\nNoël,Besançon\nRenée,Orléans";
    QTest::newRow("Polish text in Windows-1250")
        << QByteArray("imi\xea,miasto\n\xa3ukasz,\xa3\xf3"
                      "d\x9f\nJ\xf3zef,Bia\xb3ystok\n"
                      "Ma\xb3gorzata,Gda\xf1sk\nZ\xb3oty,\x8c"
                      "wi\xea"
                      "toch\xb3owice\n")
        << ""
        << "imię,miasto\nŁukasz,Łódź\nJózef,Białystok\nMałgorzata,Gdańsk\nZłoty,Świętochłowice";
    QTest::newRow("Russian text in Windows-1251")
        << QByteArray(
               "\xc8\xec\xff,\xc3\xee\xf0\xee\xe4\n\xc8\xe2\xe0\xed \xcf\xe5\xf2\xf0\xee\xe2,"
               "\xcc\xee\xf1\xea\xe2\xe0\n\xc0\xed\xed\xe0 \xd1\xec\xe8\xf0\xed\xee\xe2\xe0,"
               "\xd1\xe0\xed\xea\xf2-\xcf\xe5\xf2\xe5\xf0\xe1\xf3\xf0\xe3\n")
        << ""
        << "Имя,Город\nИван Петров,Москва\nАнна Смирнова,Санкт-Петербург";
}

void TestDataSource::encodingsAreFound()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, encoding);
    QFETCH(QString, text);

    DataSourceOptions options;
    options.header = false;
    const DataRead read = readData(bytes, QStringLiteral("orders.csv"), options);
    QVERIFY2(read.table, qPrintable(read.error));
    QStringList lines;
    for (const QStringList &row : read.table->rows.toLists())
        lines.append(row.join(read.table->separator));
    QCOMPARE(lines.join(u'\n'), text);
    if (!encoding.isEmpty())
        QCOMPARE(read.table->encoding, encoding);
    // The encoding found reads the file the same when it is named.
    options.encoding = read.table->encoding;
    QCOMPARE(readData(bytes, QStringLiteral("orders.csv"), options).table->rows.toLists(),
             read.table->rows.toLists());
}

void TestDataSource::cellsShowWhatTheSpreadsheetShows_data()
{
    QTest::addColumn<QByteArray>("workbook");
    QTest::addColumn<QString>("shown");

    const auto number = [](const char *name, const QByteArray &value, int formatId,
                           const QString &code, const QString &shown) {
        QTest::newRow(name) << xlsxCell(value, {}, formatId, code) << shown;
    };
    number("General: a binary fraction's noise", "0.30000000000000004", 0, {}, "0.3");
    number("General: noise past 15 digits", "4001.0000000000005", 0, {}, "4001");
    number("General: digits typed are kept", "4001.25", 0, {}, "4001.25");
    number("General: a long whole number whole", "123456789012345", 0, {}, "123456789012345");
    number("General: a small number", "1.5E-7", 0, {}, "1.5E-07");
    number("General: negative", "-12.5", 0, {}, "-12.5");
    number("0", "2.5", 1, {}, "3");
    number("0.00", "0.30000000000000004", 2, {}, "0.30");
    number("0.00 rounds halves up as shown", "1.005", 2, {}, "1.01");
    number("#,##0", "1234567.4", 3, {}, "1,234,567");
    number("#,##0.00", "-1234.5", 4, {}, "-1,234.50");
    number("0%", "0.155", 9, {}, "16%");
    number("0.00%", "0.12345", 10, {}, "12.35%");
    number("0.00E+00", "12345", 11, {}, "1.23E+04");
    number("#,##0 ;(#,##0): negative in parentheses", "-1234", 37, {}, "(1,234)");
    number("custom 0000: leading zeros", "42", 164, "0000", "0042");
    number("custom 0.000", "3.14159", 164, "0.000", "3.142");
    number("custom #.##: optional decimals", "2.5", 164, "#.##", "2.5");
    number("custom currency in front", "1234.5", 164, "[$€-407]\\ #,##0.00", "€ 1,234.50");
    number("custom text after", "12", 164, "0\" kg\"", "12 kg");
    number("custom thousands scaled", "1234567", 164, "#,##0,\"k\"", "1,235k");
    number("custom [Red] and three sections", "0", 164, "0.0;[Red]-0.0;\"zero\"", "zero");
    number("text format @", "7", 49, {}, "7");
    number("a format of 255 characters", "5", 164, "0\"" + QString(252, u'x') + "\"",
           "5" + QString(252, u'x'));
    number("months and only months, 128 runs of them", "46053", 164,
           QStringLiteral("m ").repeated(127) + "m", "2026-01-31");
    number("minutes between hours and seconds, months elsewhere", "46053.5", 164, "m h m s m",
           "2026-01-31 12:00:00");
    number("built-in date", "46053", 14, {}, "2026-01-31");
    number("custom date", "46053.75", 164, "dd.mm.yyyy", "2026-01-31");
    number("custom date with slashes", "46053", 164, "dd/mm/yyyy", "2026-01-31");
    number("custom date and time", "46053.75", 164, "yyyy-mm-dd hh:mm", "2026-01-31 18:00");
    number("time with seconds", "0.5000115740740741", 21, {}, "12:00:01");
    number("minutes, not months", "0.0625", 20, {}, "01:30");
    number("the 1900 system's 29 February", "60", 14, {}, "1900-02-29");
    number("before March 1900", "59", 14, {}, "1900-02-28");
    QTest::newRow("the 1904 date system") << xlsxCell("44591", {}, 14, {}, true) << "2026-01-31";
    QByteArray styles = "<styleSheet><numFmts><numFmt numFmtId=\"164\" formatCode=\"0.0\"/>"
                        "<numFmt numFmtId=\"165\" formatCode=\"0.0\"/></numFmts><cellXfs>";
    for (int style = 0; style < 100; ++style)
        styles += "<xf numFmtId=\"" + QByteArray::number(164 + style % 2) + "\"/>";
    QTest::newRow("100 styles sharing one format")
        << zipOf(withPart(xlsxEntries("<row r=\"1\"><c r=\"A1\" s=\"99\"><v>2</v></c></row>"),
                          "xl/styles.xml", styles + "</cellXfs></styleSheet>"))
        << "2.0";
    QTest::newRow("boolean") << xlsxCell("1", "b", 0) << "TRUE";
    QTest::newRow("a formula's text") << xlsxCell("Total", "str", 0) << "Total";
    QTest::newRow("an error value") << xlsxCell("#DIV/0!", "e", 0) << "#DIV/0!";
    QTest::newRow("an ISO date cell") << xlsxCell("2026-01-31T00:00:00", "d", 14) << "2026-01-31";
    QTest::newRow("a shared string in runs, its phonetic guide left out")
        << xlsxOf("<row r=\"1\"><c r=\"A1\" t=\"s\"><v>1</v></c></row>", 0, {}, false,
                  "<si><t>first</t></si><si><r><t>Ta</t></r><r><t xml:space=\"preserve\">ro </t>"
                  "</r><rPh><t>x</t></rPh></si>")
        << "Taro ";
    QTest::newRow("an inline string with an escaped return")
        << xlsxOf("<row r=\"1\"><c r=\"A1\" t=\"inlineStr\"><is><t>a_x000D_b</t></is></c></row>")
        << "a\rb";

    const auto ods = [](const char *name, const QByteArray &cell, const QString &shown) {
        QTest::newRow(name) << odsCell(cell) << shown;
    };
    ods("ods: a number as its text shows it",
        "<table:table-cell office:value-type=\"float\" office:value=\"1234.5\"><text:p>1.234,50"
        "</text:p></table:table-cell>",
        "1.234,50");
    ods("ods: a number saved without its text",
        "<table:table-cell office:value-type=\"float\" office:value=\"0.30000000000000004\"/>",
        "0.3");
    ods("ods: a percentage saved without its text",
        "<table:table-cell office:value-type=\"percentage\" office:value=\"0.125\"/>", "12.5%");
    ods("ods: a date as an ISO date",
        "<table:table-cell office:value-type=\"date\" office:date-value=\"2026-01-31\"><text:p>"
        "31.01.26</text:p></table:table-cell>",
        "2026-01-31");
    ods("ods: a date and time",
        "<table:table-cell office:value-type=\"date\" office:date-value=\"2026-01-31T14:30:00\"/>",
        "2026-01-31 14:30");
    ods("ods: a boolean saved without its text",
        "<table:table-cell office:value-type=\"boolean\" office:boolean-value=\"true\"/>", "TRUE");
    ods("ods: paragraphs, spaces, tabs, spans; notes left out",
        "<table:table-cell office:value-type=\"string\"><office:annotation><text:p>note</text:p>"
        "</office:annotation><text:p>a<text:s text:c=\"3\"/>b<text:tab/><text:span>c</text:span>"
        "</text:p><text:p>d  \n e<text:line-break/>f</text:p></table:table-cell>",
        "a   b\tc\nd e\nf");
}

void TestDataSource::cellsShowWhatTheSpreadsheetShows()
{
    QFETCH(QByteArray, workbook);
    QFETCH(QString, shown);

    DataSourceOptions options;
    options.header = false;
    // A workbook is known by its bytes, .xlsx or .ods whatever its name.
    const DataRead read = readData(workbook, QStringLiteral("orders"), options);
    QVERIFY2(read.table, qPrintable(read.error));
    QCOMPARE(read.table->rows.toLists(), Rows{{shown}});
}

void TestDataSource::refusals_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<DataSourceOptions>("options");
    QTest::addColumn<DataLimits>("limits");
    // The whole message, or its start where the rest is libzip's.
    QTest::addColumn<QString>("error");

    const DataSourceOptions options;
    const DataLimits limits;
    const auto within = [](auto DataLimits::*bound, auto value) {
        DataLimits small;
        small.*bound = value;
        return small;
    };
    const auto encodedAs = [](const char *encoding) {
        DataSourceOptions named;
        named.encoding = QString::fromLatin1(encoding);
        return named;
    };
    const auto sheet = [](const char *name) {
        DataSourceOptions named;
        named.sheet = QString::fromLatin1(name);
        return named;
    };
    const QByteArray xlsx = xlsxCell("1", {}, 0);

    QTest::newRow("no such file") << QByteArray() << "orders.csv" << options << limits
                                  << "orders.csv: there is no such file";
    QTest::newRow("a file over the size")
        << QByteArray((1 << 20) + 1, 'x') << "orders.csv" << options
        << within(&DataLimits::fileBytes, qint64(1) << 20)
        << "orders.csv: the file is larger than 1 MB, more than a data file may be";
    QTest::newRow("more rows") << QByteArray("a\nb\nc\n") << "orders.csv" << options
                               << within(&DataLimits::rows, qsizetype(2))
                               << "orders.csv, row 3: more than 2 rows";
    QTest::newRow("more columns") << QByteArray("a,b,c\n") << "orders.csv" << options
                                  << within(&DataLimits::columns, qsizetype(2))
                                  << "orders.csv, row 1: more than 2 columns";
    QTest::newRow("more cells") << QByteArray("a,b\nc,d\ne\n") << "orders.csv" << options
                                << within(&DataLimits::cells, qsizetype(4))
                                << "orders.csv, row 3: more than 4 cells";
    QTest::newRow("a quote never closed")
        << QByteArray("a,b\n\"c,d\n") << "orders.csv" << options << limits
        << "orders.csv, row 2: a quoted cell is not closed by the end of the file";
    QTest::newRow("a separator of two characters") << QByteArray("a\n") << "orders.csv" << [] {
        DataSourceOptions o;
        o.separator = "::";
        return o;
    }() << limits << "orders.csv: a separator is one character, not \"::\"";
    QTest::newRow("not text") << QByteArray("PNG\r\n\x1a\n\0\0\0\rIHDR", 16) << "orders.csv"
                              << options << limits
                              << "orders.csv: line 3 holds a zero byte; this is no text file";
    QTest::newRow("not UTF-8 when UTF-8 is chosen")
        << QByteArray("a\nM\xfcller\n") << "orders.csv" << encodedAs("UTF-8") << limits
        << "orders.csv: line 2 is not UTF-8 text";
    QTest::newRow("not Shift_JIS when Shift_JIS is chosen")
        << QByteArray("a\n\x81\n") << "orders.csv" << encodedAs("SHIFT_JIS") << limits
        << "orders.csv: line 2 is not SHIFT_JIS text";
    QTest::newRow("UTF-16 cut inside a character")
        << QByteArray("\xFF\xFE"
                      "a\0\n\0b",
                      7)
        << "orders.csv" << options << limits << "orders.csv: line 2 is not UTF-16LE text";
    QTest::newRow("an encoding no one knows")
        << QByteArray("a\n") << "orders.csv" << encodedAs("x-klingon") << limits
        << "orders.csv: x-klingon is no text encoding this program knows";

    QByteArray inflating =
        "<worksheet><sheetData>" + QByteArray(200 << 20, ' ') + "</sheetData></worksheet>";
    QTest::newRow("a workbook that expands past 200 MB")
        << zipOf({{"[Content_Types].xml", "<Types/>"},
                  {"xl/workbook.xml", "<workbook><sheets><sheet name=\"S\" r:id=\"r1\" "
                                      "xmlns:r=\"r\"/></sheets></workbook>"},
                  {"xl/_rels/workbook.xml.rels",
                   "<Relationships><Relationship Id=\"r1\" Type=\"x/worksheet\" "
                   "Target=\"s.xml\"/></Relationships>"},
                  {"xl/s.xml", inflating}})
        << "orders.xlsx" << options << limits
        << "orders.xlsx: the workbook expands past 200 MB, more than a data file may hold";
    inflating.clear();
    QTest::newRow("its parts expand past the bound together")
        << xlsxOf("<row r=\"1\"><c r=\"A1\" t=\"s\"><v>0</v></c></row>" +
                      QByteArray(600 << 10, ' '),
                  0, {}, false, "<si><t>x</t></si>" + QByteArray(600 << 10, ' '))
        << "orders.xlsx" << options << within(&DataLimits::expandedBytes, qint64(1) << 20)
        << "orders.xlsx: the workbook expands past 1 MB, more than a data file may hold";
    // Each cell is held on its own: a string shared, or a cell repeated,
    // costs the workbook nothing more.
    const QByteArray long30k(30000, 'x');
    QByteArray sharedDown;
    for (int row = 1; row <= 40; ++row)
        sharedDown += QStringLiteral("<row r=\"%1\"><c r=\"A%1\" t=\"s\"><v>0</v></c></row>")
                          .arg(row)
                          .toUtf8();
    QTest::newRow("a long shared string in cells past the bound")
        << xlsxOf(sharedDown, 0, {}, false, "<si><t>" + long30k + "</t></si>") << "orders.xlsx"
        << options << within(&DataLimits::expandedBytes, qint64(1) << 20)
        << "orders.xlsx, row 18: the workbook's cells expand past 1 MB, more than a data file may "
           "hold";
    QTest::newRow("a long cell repeated across past the bound")
        << odsCell("<table:table-cell table:number-columns-repeated=\"40\" "
                   "office:value-type=\"string\"><text:p>" +
                   long30k + "</text:p></table:table-cell>")
        << "orders.ods" << options << within(&DataLimits::expandedBytes, qint64(1) << 20)
        << "orders.ods, row 1: the workbook's cells expand past 1 MB, more than a data file may "
           "hold";
    QTest::newRow("a workbook cut short") << xlsx.first(xlsx.size() / 2) << "orders.xlsx" << options
                                          << limits << "orders.xlsx: the workbook is damaged (";
    QByteArray corrupted = xlsx;
    const qsizetype sheetData = corrupted.indexOf("xl/worksheets/sheet1.xml") + 30;
    for (qsizetype i = sheetData; i < sheetData + 20; ++i)
        corrupted[i] = char(~corrupted[i]);
    QTest::newRow("a workbook's data damaged") << corrupted << "orders.xlsx" << options << limits
                                               << "orders.xlsx: the workbook is damaged (";
    QTest::newRow("a sheet that is no XML")
        << xlsxOf("<row r=\"1\"><c r=\"A1\"><v>1</c></row>") << "orders.xlsx" << options << limits
        << "orders.xlsx: the workbook is damaged (xl/worksheets/sheet1.xml, line 1: ";
    QTest::newRow("a shared string the workbook lacks")
        << xlsxOf("<row r=\"4\"><c r=\"B4\" t=\"s\"><v>7</v></c></row>") << "orders.xlsx" << options
        << limits
        << "orders.xlsx, row 4, column B: the workbook is damaged (xl/worksheets/sheet1.xml: a "
           "cell names a shared string it does not have)";
    QTest::newRow("XML nested too deep")
        << xlsxOf("<row r=\"1\"><c r=\"A1\" t=\"inlineStr\"><is>" + QByteArray("<r>").repeated(70) +
                  "</is></c></row>")
        << "orders.xlsx" << options << limits
        << "orders.xlsx: the workbook is damaged (xl/worksheets/sheet1.xml, line 1: elements "
           "nested deeper than 64)";
    QTest::newRow("a document type with entities")
        << zipOf({{"content.xml", "<!DOCTYPE d [<!ENTITY a \"aaaaaaaaaa\"><!ENTITY b "
                                  "\"&a;&a;&a;&a;&a;\">]><d>&b;</d>"}})
        << "orders.ods" << options << limits
        << "orders.ods: the workbook is damaged (content.xml, line 1: a document type declaration)";
    QTest::newRow("a cell past the last row")
        << xlsxOf("<row r=\"2000000\"><c r=\"A2000000\"><v>1</v></c></row>") << "orders.xlsx"
        << options << limits << "orders.xlsx, row 2000000: more than 1000000 rows";
    QTest::newRow("a cell past the last column")
        << xlsxOf("<row r=\"1\"><c r=\"XFD1\"><v>1</v></c></row>") << "orders.xlsx" << options
        << limits << "orders.xlsx, row 1: more than 1000 columns";
    QTest::newRow("a value repeated down past the last row")
        << odsOf("<table:table-row table:number-rows-repeated=\"2000000\"><table:table-cell "
                 "office:value-type=\"string\"><text:p>x</text:p></table:table-cell></"
                 "table:table-row>")
        << "orders.ods" << options << limits << "orders.ods, row 1: more than 1000000 rows";
    QTest::newRow("a value repeated across past the last column")
        << odsOf("<table:table-row><table:table-cell table:number-columns-repeated=\"5000\" "
                 "office:value-type=\"string\"><text:p>x</text:p></table:table-cell></"
                 "table:table-row>")
        << "orders.ods" << options << limits << "orders.ods, row 1: more than 1000 columns";
    QTest::newRow("repeats past the cells, each within its bound")
        << odsOf("<table:table-row table:number-rows-repeated=\"20000\"><table:table-cell "
                 "table:number-columns-repeated=\"1000\" "
                 "office:value-type=\"string\"><text:p>x</text:p></table:table-cell></"
                 "table:table-row>")
        << "orders.ods" << options << limits << "orders.ods, row 1: more than 10000000 cells";
    QTest::newRow("a cell of endless spaces")
        << odsCell("<table:table-cell office:value-type=\"string\"><text:p><text:s "
                   "text:c=\"2000000000\"/></text:p></table:table-cell>")
        << "orders.ods" << options << limits
        << "orders.ods, row 1, column A: a cell longer than 32767 characters";
    QTest::newRow("a sheet the workbook lacks")
        << xlsx << "orders.xlsx" << sheet("Summary") << limits
        << "orders.xlsx: the workbook has no sheet \"Summary\"; its sheets are Data";
    QTest::newRow("an ods sheet the workbook lacks")
        << odsCell("") << "orders.ods" << sheet("Summary") << limits
        << "orders.ods: the workbook has no sheet \"Summary\"; its sheets are Data";
    QTest::newRow("an xlsx saved with a password")
        << passwordProtectedWorkbook() << "orders.xlsx" << options << limits
        << "orders.xlsx: the workbook is protected by a password; save it without one to read it "
           "here";
    QTest::newRow("an ods saved with a password")
        << odsOf({}, "<manifest:file-entry "
                     "manifest:full-path=\"content.xml\"><manifest:encryption-data/></"
                     "manifest:file-entry>")
        << "orders.ods" << options << limits
        << "orders.ods: the workbook is protected by a password; save it without one to read it "
           "here";
    QTest::newRow("an archive with a password")
        << zipOf({{"[Content_Types].xml", "<Types/>"}, {"xl/workbook.xml", "<workbook/>"}},
                 "secret")
        << "orders.xlsx" << options << limits
        << "orders.xlsx: the workbook is protected by a password; save it without one to read it "
           "here";
    QByteArray excel97 = passwordProtectedWorkbook();
    excel97.replace(512 + 256, 32, QByteArray(32, 'W'));
    QTest::newRow("an Excel 97-2003 workbook")
        << excel97 << "orders.xls" << options << limits
        << "orders.xls: the file is an Excel 97-2003 workbook, which this program does not read; "
           "save it as .xlsx or .ods";
    QTest::newRow("a zip archive of something else")
        << zipOf({{"readme.txt", "hello"}}) << "orders.zip" << options << limits
        << "orders.zip: the file is a zip archive but no .xlsx or .ods workbook";
}

void TestDataSource::refusals()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, fileName);
    QFETCH(DataSourceOptions, options);
    QFETCH(DataLimits, limits);
    QFETCH(QString, error);
    checkRefusal(bytes, fileName, options, limits, error);
}

void TestDataSource::checkRefusal(const QByteArray &bytes, const QString &fileName,
                                  const DataSourceOptions &options, const DataLimits &limits,
                                  const QString &error)
{
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    QFile file(folder.filePath(fileName));
    if (!bytes.isNull()) {
        QVERIFY(file.open(QIODevice::WriteOnly));
        QCOMPARE(file.write(bytes), bytes.size());
        file.close();
    }

    const DataRead read = readDataFile(file.fileName(), options, limits);
    QVERIFY(!read.table);
    QVERIFY2(read.error.startsWith(error), qPrintable(read.error));
}

void TestDataSource::workbookPartsAreOpenedAlike_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<DataLimits>("limits");
    QTest::addColumn<QString>("error");

    DataLimits oneMegabyte;
    oneMegabyte.expandedBytes = qint64(1) << 20;
    const QByteArray sheet = "<worksheet><sheetData><row r=\"1\"><c r=\"A1\"><v>1</v></c></row>"
                             "</sheetData></worksheet>";
    Entries outside = withPart(xlsxEntries({}), "xl/_rels/workbook.xml.rels",
                               "<Relationships><Relationship Id=\"rId1\" Type=\"x/worksheet\" "
                               "Target=\"../../outside.xml\"/></Relationships>");
    outside.append({"../outside.xml", sheet});
    QTest::newRow("xlsx: a part named outside the workbook")
        << zipOf(outside) << "orders.xlsx" << DataLimits()
        << "orders.xlsx: the workbook is damaged (a part named \"../outside.xml\", outside the "
           "workbook)";
    QTest::newRow("xlsx: its sheet alone encrypted")
        << zipOf(xlsxEntries({}), "secret", "xl/worksheets/sheet1.xml") << "orders.xlsx"
        << DataLimits()
        << "orders.xlsx: the workbook is protected by a password; save it without one to read it "
           "here";
    QTest::newRow("ods: its content encrypted")
        << zipOf(odsEntries({}), "secret", "content.xml") << "orders.ods" << DataLimits()
        << "orders.ods: the workbook is protected by a password; save it without one to read it "
           "here";
    QTest::newRow("xlsx: a part missing")
        << zipOf(xlsxEntries({}).sliced(0, 6)) << "orders.xlsx" << DataLimits()
        << "orders.xlsx: the workbook is damaged (xl/worksheets/sheet1.xml is missing)";
    QTest::newRow("xlsx: styles that are no XML")
        << zipOf(withPart(xlsxEntries({}), "xl/styles.xml", "<styleSheet>")) << "orders.xlsx"
        << DataLimits() << "orders.xlsx: the workbook is damaged (xl/styles.xml, line 1: ";
    QTest::newRow("ods: a manifest that is no XML")
        << zipOf(withPart(odsEntries({}), "META-INF/manifest.xml", "<manifest><")) << "orders.ods"
        << DataLimits() << "orders.ods: the workbook is damaged (META-INF/manifest.xml, line 1: ";
    QTest::newRow("ods: its content past the bound")
        << odsOf(QByteArray(2 << 20, ' ')) << "orders.ods" << oneMegabyte
        << "orders.ods: the workbook expands past 1 MB, more than a data file may hold";
}

void TestDataSource::workbookPartsAreOpenedAlike()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, fileName);
    QFETCH(DataLimits, limits);
    QFETCH(QString, error);
    checkRefusal(bytes, fileName, DataSourceOptions(), limits, error);
}

void TestDataSource::boundsHoldForWhatIsBuilt_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<QString>("error");

    const QByteArray half(20000, 'x');
    const QByteArray cellA1 = "<row r=\"1\"><c r=\"A1\" t=\"s\"><v>0</v></c></row>";
    QTest::newRow("xlsx: a number format past 255 characters")
        << xlsxCell("1", {}, 164, QString(256, u'0')) << "orders.xlsx"
        << "orders.xlsx: number format 164 in xl/styles.xml is longer than 255 characters";
    QTest::newRow("ods: paragraphs each within the bound, together past it")
        << odsCell("<table:table-cell><text:p>" + half + "</text:p><text:p>" + half +
                   "</text:p></table:table-cell>")
        << "orders.ods"
        << "orders.ods, row 1, column A: a cell longer than 32767 characters";
    QTest::newRow("ods: spaces of paragraphs together past the bound")
        << odsCell("<table:table-cell><text:p><text:s text:c=\"20000\"/></text:p><text:p><text:s "
                   "text:c=\"20000\"/></text:p></table:table-cell>")
        << "orders.ods"
        << "orders.ods, row 1, column A: a cell longer than 32767 characters";
    QTest::newRow("ods: empty paragraphs past the bound")
        << odsCell("<table:table-cell>" + QByteArray("<text:p/>").repeated(40000) +
                   "</table:table-cell>")
        << "orders.ods"
        << "orders.ods, row 1, column A: a cell longer than 32767 characters";
    QTest::newRow("xlsx: a shared string's runs together past the bound")
        << xlsxOf(cellA1, 0, {}, false,
                  "<si><r><t>" + half + "</t></r><r><t>" + half + "</t></r></si>")
        << "orders.xlsx"
        << "orders.xlsx, row 1, column A: a cell longer than 32767 characters";
}

// Every reader asks, now and then, whether it is still wanted: a stop
// signal ends the reading of a long file, with its file named.
void TestDataSource::aStopEndsTheReading_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("fileName");
    QByteArray csv = "Name\n";
    QByteArray xlsx;
    QByteArray ods;
    for (int row = 1; row <= 5000; ++row) {
        csv += "Ada\n";
        xlsx += "<row r=\"" + QByteArray::number(row) + "\"><c r=\"A" + QByteArray::number(row) +
                "\"><v>1</v></c></row>";
        ods += "<table:table-row><table:table-cell><text:p>Ada</text:p></table:table-cell>"
               "</table:table-row>";
    }
    QTest::newRow("text") << csv << "orders.csv";
    QTest::newRow("XLSX") << xlsxOf(xlsx) << "orders.xlsx";
    QTest::newRow("ODS") << odsOf(ods) << "orders.ods";
}

void TestDataSource::aStopEndsTheReading()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, fileName);
    DataLimits limits;
    QVERIFY(readData(bytes, fileName, {}, limits).table);
    limits.stillWanted = [] {
        return false;
    };
    const DataRead read = readData(bytes, fileName, {}, limits);
    QVERIFY(!read.table);
    QVERIFY2(read.error.startsWith(fileName) && read.error.contains("the reading was stopped"),
             qPrintable(read.error));
}

void TestDataSource::boundsHoldForWhatIsBuilt()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, fileName);
    QFETCH(QString, error);
    checkRefusal(bytes, fileName, DataSourceOptions(), DataLimits(), error);
}

void TestDataSource::separatorTiesAreSettled_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<QString>("separator");
    QTest::addColumn<Rows>("rows");

    QTest::newRow("German, no header: a semicolon beside decimal commas")
        << QString("Müller;12,50;3,00\n").toUtf8() << "orders.csv"
        << ";" << Rows{{"Müller", "12,50", "3,00"}};
    QTest::newRow("German rows: decimal commas are no separators")
        << QByteArray("Meier, Hans;1,50;2,75\nKoch, Eva;3,00;0,5\n") << "orders.csv"
        << ";" << Rows{{"Meier, Hans", "1,50", "2,75"}, {"Koch, Eva", "3,00", "0,5"}};
    QTest::newRow("a UTF-16 tab export of names with commas")
        << encoded("Doe, Jane\t3\r\n", TextEncoding::Utf16LE) << "orders.txt"
        << "\t" << Rows{{"Doe, Jane", "3"}};
    QTest::newRow("a .tsv file at tabs, whatever else it holds")
        << QByteArray("Doe, Jane\nRoe, Rick\n") << "orders.tsv"
        << "\t" << Rows{{"Doe, Jane"}, {"Roe, Rick"}};
    QTest::newRow("commas between numbers still split a file of commas")
        << QByteArray("Smith,12,50\nJones,3,4\n") << "orders.csv"
        << "," << Rows{{"Smith", "12", "50"}, {"Jones", "3", "4"}};
    QTest::newRow("numbers alone, split at commas") << QByteArray("1,2\n3,4\n") << "orders.csv"
                                                    << "," << Rows{{"1", "2"}, {"3", "4"}};
}

void TestDataSource::separatorTiesAreSettled()
{
    separatorsAreFound();
}

void TestDataSource::mixedEncodingsAreNamed_data()
{
    QTest::addColumn<QByteArray>("bytes");
    // The rows read, a line each, or the error.
    QTest::addColumn<QString>("read");
    QTest::addColumn<QStringList>("warnings");

    const QByteArray utf8 = QString("Name;Ort\nJürgen;Köln\n").toUtf8();
    QTest::newRow("UTF-8 with one Windows-1252 line")
        << utf8 + "M\xfcller;M\xfcnchen\r\n" + QString("Zoë;Genève\n").toUtf8()
        << "Name;Ort\nJürgen;Köln\nMüller;München\nZoë;Genève"
        << QStringList{"orders.csv: line 3 is not UTF-8 text; it was read as Windows-1252"};
    QTest::newRow("UTF-8 with Windows-1252 lines")
        << utf8 + "\xc9mile;N\xeemes\r" + QString("Zoë;Genève\n").toUtf8() + "\x80 5;x\n" +
               QString("Åsa;Malmö").toUtf8()
        << "Name;Ort\nJürgen;Köln\nÉmile;Nîmes\nZoë;Genève\n€ 5;x\nÅsa;Malmö"
        << QStringList{"orders.csv: lines 3 and 5 are not UTF-8 text; they were read as "
                       "Windows-1252"};
    QTest::newRow("Windows-1252 with a line that reads as UTF-8 stays Windows-1252")
        << QByteArray("Name;Ort\nJ\xfcrgen;K\xf6ln\nM\xfcller;M\xfcnchen\n\xc3\xa9t;x\n")
        << "Name;Ort\nJürgen;Köln\nMüller;München\nÃ©t;x" << QStringList();
    QTest::newRow("UTF-16 with a lone surrogate")
        << encoded(QString("a;b\nc;") + QChar(0xD800) + "d\n", TextEncoding::Utf16LE)
        << "orders.csv: line 2 is not UTF-16LE text" << QStringList();
    QTest::newRow("UTF-16 with a low surrogate first")
        << encoded(QString("a;") + QChar(0xDC00) + QChar(0xD800) + "\n", TextEncoding::Utf16BE)
        << "orders.csv: line 1 is not UTF-16BE text" << QStringList();
}

void TestDataSource::mixedEncodingsAreNamed()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, read);
    QFETCH(QStringList, warnings);

    DataSourceOptions options;
    options.header = false;
    const DataRead data = readData(bytes, QStringLiteral("orders.csv"), options);
    if (read.startsWith(QLatin1StringView("orders.csv: "))) {
        QVERIFY(!data.table);
        QCOMPARE(data.error, read);
        return;
    }
    QVERIFY2(data.table, qPrintable(data.error));
    QStringList lines;
    for (const QStringList &row : data.table->rows.toLists())
        lines.append(row.join(data.table->separator));
    QCOMPARE(lines.join(u'\n'), read);
    QCOMPARE(data.table->warnings, warnings);
}

void TestDataSource::cellsShowTheirFormats_data()
{
    QTest::addColumn<QByteArray>("workbook");
    QTest::addColumn<QString>("shown");

    const auto number = [](const char *name, const QByteArray &value, const QString &code,
                           const QString &shown) {
        QTest::newRow(name) << xlsxCell(value, {}, 164, code) << shown;
    };
    number("digits among text", "123456789", "000-00-0000", "123-45-6789");
    number("a ZIP+4 code", "123456789", "00000-0000", "12345-6789");
    number("a ZIP+4 code's leading zeros", "12345", "00000-0000", "00001-2345");
    number("more digits than placeholders go first", "1234567", "0-00", "12345-67");
    number("elapsed hours", "1.5", "[h]:mm", "36:00");
    number("elapsed hours and seconds", "1.5000115740740741", "[h]:mm:ss", "36:00:01");
    number("elapsed minutes", "0.0625", "[mm]:ss", "90:00");
    number("a fraction", "0.5", "# ?/?", "1/2");
    number("a whole number and a fraction", "1.25", "# ?/?", "1 1/4");
    number("a fraction of two digits", "3.14159", "# ?\?/??", "3 14/99");
    number("a fraction, negative", "-0.75", "# ?/?", "-3/4");
    number("a per cent past what a double holds", "1e307", "0%", "1E+307");
    QTest::newRow("ods: a time saved without its text")
        << odsCell("<table:table-cell office:value-type=\"time\" "
                   "office:time-value=\"PT14H30M00S\"/>")
        << "14:30";
    QTest::newRow("ods: a time with seconds saved without its text")
        << odsCell("<table:table-cell office:value-type=\"time\" "
                   "office:time-value=\"PT01H02M03.4S\"/>")
        << "01:02:03";
    const QByteArray relationship =
        "http://schemas.openxmlformats.org/officeDocument/2006/relationships";
    Entries hidden = withPart(
        xlsxEntries("<row r=\"1\"><c r=\"A1\" t=\"inlineStr\"><is><t>secret</t></is></c></row>"),
        "xl/workbook.xml",
        "<workbook xmlns:r=\"" + relationship +
            "\"><sheets><sheet name=\"Lookup\" state=\"hidden\" sheetId=\"1\" r:id=\"rId1\"/>"
            "<sheet name=\"Data\" sheetId=\"2\" r:id=\"rId4\"/></sheets></workbook>");
    hidden = withPart(hidden, "xl/_rels/workbook.xml.rels",
                      "<Relationships><Relationship Id=\"rId1\" Type=\"" + relationship +
                          "/worksheet\" Target=\"worksheets/sheet1.xml\"/><Relationship "
                          "Id=\"rId4\" Type=\"" +
                          relationship +
                          "/worksheet\" Target=\"worksheets/sheet2.xml\"/></Relationships>");
    hidden.append({QStringLiteral("xl/worksheets/sheet2.xml"),
                   QByteArray("<worksheet><sheetData><row r=\"1\"><c r=\"A1\" t=\"inlineStr\">"
                              "<is><t>shown</t></is></c></row></sheetData></worksheet>")});
    QTest::newRow("a hidden first sheet passed over for the first shown")
        << zipOf(hidden) << "shown";
}

void TestDataSource::cellsShowTheirFormats()
{
    cellsShowWhatTheSpreadsheetShows();
}

void TestDataSource::quantitiesAndStartsTakeTheCellsValue_data()
{
    QTest::addColumn<QByteArray>("workbook");
    QTest::addColumn<QString>("printed"); // num0 on each page, or the error

    // Columns Qty and First, their names inline, their cells in style 1.
    const auto xlsxRow = [](const QByteArray &quantity, const QString &code) {
        return xlsxOf(R"(<row r="1"><c r="A1" t="inlineStr"><is><t>Qty</t></is></c>)"
                      R"(<c r="B1" t="inlineStr"><is><t>First</t></is></c></row>)"
                      R"(<row r="2"><c r="A2" s="1"><v>)" +
                          quantity + R"(</v></c><c r="B2" s="1"><v>4001</v></c></row>)",
                      164, code);
    };
    QTest::newRow("xlsx: two decimals")
        << xlsxRow("2", "0.00") << "2.00 4001.00: 4001|2.00 4001.00: 4002";
    QTest::newRow("xlsx: thousands") << xlsxRow("2", "#,##0") << "2 4,001: 4001|2 4,001: 4002";
    QTest::newRow("xlsx: a fraction shown whole")
        << xlsxRow("2.5", "0")
        << R"(orders.xlsx, row 2, column Qty: the quantity "2.5" is no whole number)";
    const auto stringCell = [](const QByteArray &text) {
        return R"(<table:table-cell office:value-type="string"><text:p>)" + text +
               "</text:p></table:table-cell>";
    };
    QTest::newRow("ods: a number and an amount")
        << odsOf("<table:table-row>" + stringCell("Qty") + stringCell("First") +
                 "</table:table-row><table:table-row>"
                 R"(<table:table-cell office:value-type="float" office:value="2">)"
                 "<text:p>2.00</text:p></table:table-cell>"
                 R"(<table:table-cell office:value-type="currency" office:value="4001">)"
                 "<text:p>4,001 €</text:p></table:table-cell></table:table-row>")
        << "2.00 4,001 €: 4001|2.00 4,001 €: 4002";
}

// Fields show what the spreadsheet shows; a quantity and a start take the
// number the cell holds, whatever its format shows of it.
void TestDataSource::quantitiesAndStartsTakeTheCellsValue()
{
    QFETCH(QByteArray, workbook);
    QFETCH(QString, printed);
    Document doc = emptyDocument(10);
    const int number = addNumber(doc, 10, 10, 1, 4);
    doc.objects[number].format.prefix = QStringLiteral("{Qty} {First}: ");
    DataSourceSettings settings{.file = "orders.xlsx", .quantity = "Qty"};
    settings.counting[number] = {NumberCounting::Mode::StartColumn, "First"};
    DataRead read = readData(workbook, QStringLiteral("orders.xlsx"), settings.readOptions());
    QVERIFY2(read.table, qPrintable(read.error));
    const RunDataRead run = runDataOf(doc, settings, std::move(*read.table),
                                      QStringLiteral("orders.xlsx"), QDateTime::currentDateTime());
    if (!run.data) {
        QCOMPARE(run.error, printed);
        return;
    }
    const RunTexts texts(doc, *run.data);
    QStringList pages;
    for (int page = 1; page <= texts.pages(); ++page)
        pages.append(texts.text(number, page));
    QCOMPARE(pages.join(u'|'), printed);
}

QTEST_GUILESS_MAIN(TestDataSource)
#include "tst_datasource.moc"
