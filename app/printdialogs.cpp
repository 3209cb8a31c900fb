#include "printdialogs.h"

#include "guarded.h"

#include <QPageSetupDialog>
#include <QPointer>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QProgressDialog>

#include <memory>

namespace {

constexpr int progressDelayMilliseconds = 1000;

// Owns the progress dialog unless its parent window has already taken it down.
struct ProgressWindow
{
    explicit ProgressWindow(QWidget *parent) : dialog(new QProgressDialog(parent)) {}
    ~ProgressWindow() { delete dialog.data(); }
    ProgressWindow(const ProgressWindow &) = delete;
    ProgressWindow &operator=(const ProgressWindow &) = delete;

    QPointer<QProgressDialog> dialog;
};

} // namespace

PrintDialogs standardPrintDialogs(QWidget *parent)
{
    PrintDialogs dialogs;
    dialogs.print = [parent](QPrinter &printer) {
        QPrintDialog dialog(&printer, parent);
        // A run is always every page: no range, no selection. Printing to a
        // PDF file stays, as on every Linux desktop.
        dialog.setOptions(QAbstractPrintDialog::PrintToFile |
                          QAbstractPrintDialog::PrintCollateCopies);
        return dialog.exec() == QDialog::Accepted;
    };
    dialogs.pageSetup = [parent](QPrinter &printer) {
        QPageSetupDialog dialog(&printer, parent);
        return dialog.exec() == QDialog::Accepted;
    };
    dialogs.preview = [parent](QPrinter &printer, const std::function<void(QPrinter &)> &paint) {
        QPrintPreviewDialog dialog(&printer, parent);
        QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog,
                         [&paint](QPrinter *target) { guarded([&] { paint(*target); }); });
        dialog.exec();
    };
    dialogs.progress = [parent](std::int32_t pages) {
        return printProgressDialog(parent, pages);
    };
    return dialogs;
}

PrintProgress printProgressDialog(QWidget *parent, std::int32_t pages)
{
    auto window = std::make_shared<ProgressWindow>(parent);
    QProgressDialog *dialog = window->dialog;
    dialog->setWindowTitle(QStringLiteral("Print"));
    dialog->setCancelButtonText(QStringLiteral("Cancel"));
    dialog->setWindowModality(Qt::WindowModal);
    dialog->setRange(0, pages);
    dialog->setMinimumDuration(progressDelayMilliseconds);
    return [window](std::int32_t page, std::int32_t of) {
        QProgressDialog *dialog = window->dialog;
        if (!dialog)
            return false;
        dialog->setLabelText(QStringLiteral("Printing page %1 of %2").arg(page).arg(of));
        // Lets the dialog appear and its Cancel button be pressed.
        dialog->setValue(page - 1);
        return !dialog->wasCanceled();
    };
}
