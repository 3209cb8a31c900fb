#include "sheetoptions.h"

#include "sheetdatabase.h"

namespace {

QString noSheetDatabase()
{
    return QStringLiteral("the sheet database is not installed; install the glabels-data "
                          "package (apt install glabels-data)");
}

// "Avery 5160: Address Labels; 30 labels of 66.7 x 25.4 mm on 215.9 x 279.4 mm"
QString sheetLine(const SheetLayout &layout)
{
    const auto mm = [](double points) {
        return QString::number(points * 25.4 / 72, 'f', 1);
    };
    return QStringLiteral("%1: %2; %3 labels of %4 x %5 mm on %6 x %7 mm")
        .arg(layout.title(), layout.description)
        .arg(layout.cellCount())
        .arg(mm(layout.label.width()), mm(layout.label.height()), mm(layout.paper.width()),
             mm(layout.paper.height()));
}

} // namespace

int listSheets(const QString &text, const QString &folder,
               const std::function<void(const QString &)> &line,
               const std::function<void(const QString &)> &message)
{
    QStringList skipped;
    const SheetDatabase database = SheetDatabase::read(folder, &skipped);
    for (const QString &skip : skipped)
        message(skip);
    if (database.isEmpty()) {
        message(noSheetDatabase());
        return exitFailed;
    }
    for (const int index : database.matching(text))
        line(sheetLine(database.products()[index]));
    return exitPrinted;
}

int useSheet(const PrintRequest &request, Document &doc,
             const std::function<void(const QString &)> &message)
{
    QStringList skipped;
    bool installed = false;
    std::optional<SheetLayout> layout =
        SheetDatabase::lookUp(request.sheetFolder, request.sheet, &installed, &skipped);
    for (const QString &skip : skipped)
        message(skip);
    if (!installed) {
        message(noSheetDatabase());
        return exitFailed;
    }
    if (!layout) {
        message(QStringLiteral("--sheet: no product \"%1\"; paginette-print --list-sheets "
                               "TEXT lists the products that match")
                    .arg(request.sheet));
        return exitUsage;
    }
    if (doc.sheet)
        layout->order = doc.sheet->order;
    doc.sheet = layout;
    return exitPrinted;
}
