// Sheet Layout against the whole sheet database: the first opening (the
// database read and the dialog built), then each key of a search as the user
// types it, the list filtered and the best product chosen and drawn.
// Milliseconds of clock time, the best of five.

#include "dialogs/sheetlayoutdialog.h"
#include "sheetdatabase.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QListWidget>

#include <algorithm>
#include <cstdio>

namespace {

constexpr int repeats = 5;

double milliseconds(const QElapsedTimer &timer)
{
    return timer.nsecsElapsed() / 1e6;
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // Qt's notes on the offscreen platform are not the bench's figures.
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext &, const QString &text) {
        if (type == QtCriticalMsg || type == QtFatalMsg)
            std::fprintf(stderr, "%s\n", qPrintable(text));
    });
    QApplication app(argc, argv);
    double read = 1e9;
    double opened = 1e9;
    SheetDatabase database;
    for (int run = 0; run < repeats; ++run) {
        QElapsedTimer timer;
        timer.start();
        database = SheetDatabase::read(installedSheetFolder);
        read = std::min(read, milliseconds(timer));
        SheetLayoutDialog dialog(&database);
        dialog.showLayout(std::nullopt);
        dialog.show();
        QApplication::processEvents();
        opened = std::min(opened, milliseconds(timer));
    }
    if (database.isEmpty()) {
        std::fprintf(stderr, "glabels-data is not installed\n");
        return 1;
    }
    std::printf("sheet database: %lld products; read in %.1f ms, Sheet Layout open in %.1f ms\n",
                static_cast<long long>(database.products().size()), read, opened);

    SheetLayoutDialog dialog(&database);
    dialog.showLayout(std::nullopt);
    dialog.show();
    QApplication::processEvents();
    std::printf("%-16s %8s %18s\n", "typed", "shown", "slowest key, ms");
    for (const QString &typed :
         {QStringLiteral("5160"), QStringLiteral("Herma 4212"), QStringLiteral("business card")}) {
        QString text;
        double slowest = 0;
        for (const QChar key : typed) {
            text += key;
            double best = 1e9;
            for (int run = 0; run < repeats; ++run) {
                dialog.searchEdit->setText(text.chopped(1));
                QApplication::processEvents();
                QElapsedTimer timer;
                timer.start();
                dialog.searchEdit->setText(text);
                QApplication::processEvents();
                best = std::min(best, milliseconds(timer));
            }
            slowest = std::max(slowest, best);
        }
        int shown = 0;
        for (int row = 0; row < dialog.productList->count(); ++row)
            shown += dialog.productList->isRowHidden(row) ? 0 : 1;
        std::printf("%-16s %8d %18.2f\n", qPrintable(typed), shown, slowest);
    }
    return 0;
}
