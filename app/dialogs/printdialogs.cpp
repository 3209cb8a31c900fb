#include "dialogs/printdialogs.h"

#include "filedialogs.h"
#include "guarded.h"
#include "outputs/printer.h"
#include "outputs/runoutput.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPageSetupDialog>
#include <QPointer>
#include <QPrintDialog>
#include <QPrinter>
#include <QProgressDialog>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include <memory>
#include <utility>

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

// Hides choices of Qt's print dialog, and turns them off, each time it
// shows; with `file`, shows it on Print to File with that name: Qt's dialog
// turns its printer to the default queue as it is made.
class HiddenQtChoices : public QObject
{
public:
    HiddenQtChoices(QWidget *dialog, QString file) : QObject(dialog), m_file(std::move(file))
    {
        dialog->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        // The list of pages and the odd or even page set: Qt hands them to
        // CUPS in options of its own, and the run, which draws its own
        // pages, cannot pass them on. Double Sided Printing: the document
        // decides; Qt shows the printer's default there, and sets the
        // printer's duplex from it only while it is enabled.
        static const char *const names[] = {"pagesRadioButton", "pagesLineEdit", "pageSetCombo",
                                            "pageSetLabel", "duplex"};
        if (event->type() == QEvent::Show) {
            for (const char *name : names) {
                if (auto *widget = watched->findChild<QWidget *>(QLatin1String(name))) {
                    widget->hide();
                    widget->setEnabled(false);
                }
            }
            auto *printers = watched->findChild<QComboBox *>(QStringLiteral("printers"));
            auto *fileName = watched->findChild<QLineEdit *>(QStringLiteral("filename"));
            if (!m_file.isEmpty() && printers && fileName) {
                printers->setCurrentIndex(printers->count() - 1); // Print to File (PDF)
                fileName->setText(m_file);
            }
        }
        return QObject::eventFilter(watched, event);
    }

private:
    QString m_file;
};

} // namespace

namespace {

// The print dialog's Labels tab: the cell of the first sheet the run
// starts in, for a sheet whose first labels are gone.
QSpinBox *labelsTab(const PrintChoices &labels)
{
    auto *tab = new QWidget;
    tab->setObjectName(QStringLiteral("labelsTab"));
    tab->setWindowTitle(QStringLiteral("Labels"));
    auto *firstCellBox = new QSpinBox(tab);
    firstCellBox->setObjectName(QStringLiteral("firstCellBox"));
    firstCellBox->setRange(1, labels.cells);
    firstCellBox->setValue(labels.firstCell);
    auto *form = new QFormLayout(tab);
    form->addRow(QStringLiteral("Start at &label:"), firstCellBox);
    form->addRow(
        new QLabel(QStringLiteral("The labels before it on the first sheet stay blank."), tab));
    return firstCellBox;
}

// The print dialog's Two-Sided tab: the edge the document turns the paper
// about, and for a printer that prints one side, the fronts first, then the
// backs on a second pass, in the order the printer stacks its output.
std::pair<QCheckBox *, QCheckBox *> sidesTab(const PrintChoices &choices)
{
    auto *tab = new QWidget;
    tab->setObjectName(QStringLiteral("sidesTab"));
    tab->setWindowTitle(QStringLiteral("Two-Sided"));
    auto *sides = new QLabel(
        QStringLiteral("Both sides, flipped on the %1 edge, as the document's Sheet Layout says.")
            .arg(choices.duplex == Duplex::ShortEdge ? QStringLiteral("short")
                                                     : QStringLiteral("long")),
        tab);
    sides->setObjectName(QStringLiteral("sidesLabel"));
    auto *frontsThenBacks = new QCheckBox(QStringLiteral("Print fronts, then backs"), tab);
    frontsThenBacks->setObjectName(QStringLiteral("frontsThenBacksBox"));
    frontsThenBacks->setChecked(choices.frontsThenBacks);
    auto *faceUp = new QCheckBox(QStringLiteral("The printer stacks its output face up"), tab);
    faceUp->setObjectName(QStringLiteral("faceUpBox"));
    faceUp->setChecked(choices.faceUp);
    faceUp->setEnabled(choices.frontsThenBacks);
    QObject::connect(frontsThenBacks, &QCheckBox::toggled, faceUp, &QWidget::setEnabled);
    auto *column = new QVBoxLayout(tab);
    column->addWidget(sides);
    column->addWidget(frontsThenBacks);
    auto *under = new QHBoxLayout;
    under->addSpacing(20);
    under->addWidget(faceUp);
    column->addLayout(under);
    column->addStretch();
    return {frontsThenBacks, faceUp};
}

// The print dialog's Reprint tab: the runs the log holds, and whether the
// run shows the date of the one chosen, so that a page reprinted after a
// jam is the same page again.
struct ReprintTab
{
    QWidget *tab = nullptr;
    QComboBox *runCombo = nullptr;
    QCheckBox *sameDateBox = nullptr;
};

ReprintTab reprintTab(const RunDateChoice &choice)
{
    ReprintTab reprint;
    reprint.tab = new QWidget;
    reprint.tab->setObjectName(QStringLiteral("reprintTab"));
    reprint.tab->setWindowTitle(QStringLiteral("Reprint"));
    reprint.runCombo = new QComboBox(reprint.tab);
    reprint.runCombo->setObjectName(QStringLiteral("runCombo"));
    // The latest run first: a jam is reprinted after the run it spoiled.
    for (auto run = choice.runs.crbegin(); run != choice.runs.crend(); ++run)
        reprint.runCombo->addItem(run->title, run->date);
    reprint.sameDateBox = new QCheckBox(QStringLiteral("&Use the date of that run"), reprint.tab);
    reprint.sameDateBox->setObjectName(QStringLiteral("sameDateBox"));
    auto *form = new QFormLayout(reprint.tab);
    form->addRow(QStringLiteral("&Run:"), reprint.runCombo);
    form->addRow(reprint.sameDateBox);
    form->addRow(new QLabel(QStringLiteral("Its date and time fields then show what that run "
                                           "printed."),
                            reprint.tab));
    return reprint;
}

} // namespace

PrintDialogs standardPrintDialogs(QWidget *parent)
{
    PrintDialogs dialogs;
    dialogs.print = [parent](QPrinter &printer, std::int32_t pages, PrintChoices &choices) {
        const QString file = printsToFile(printer) ? printer.outputFileName() : QString();
        QPrintDialog dialog(&printer, parent);
        // A range of the run and copies, no selection and no current page.
        // Printing to a PDF file stays, as on every Linux desktop.
        dialog.setOptions(QAbstractPrintDialog::PrintToFile | QAbstractPrintDialog::PrintPageRange |
                          QAbstractPrintDialog::PrintCollateCopies);
        dialog.setMinMax(1, pages);
        // Every run starts as the whole run: the range of a reprint is not
        // kept for the next one.
        printer.setPrintRange(QPrinter::AllPages);
        printer.setFromTo(1, pages);
        new HiddenQtChoices(&dialog, file);
        QList<QWidget *> tabs;
        QSpinBox *firstCellBox = choices.cells > 0 ? labelsTab(choices) : nullptr;
        if (firstCellBox)
            tabs.append(firstCellBox->parentWidget());
        const auto [frontsThenBacksBox, faceUpBox] = choices.duplex != Duplex::Off
                                                         ? sidesTab(choices)
                                                         : std::pair<QCheckBox *, QCheckBox *>();
        if (frontsThenBacksBox)
            tabs.append(frontsThenBacksBox->parentWidget());
        const ReprintTab reprint =
            choices.runDate.runs.isEmpty() ? ReprintTab() : reprintTab(choices.runDate);
        if (reprint.tab)
            tabs.append(reprint.tab);
        if (!tabs.isEmpty())
            dialog.setOptionTabs(tabs);
        if (dialog.exec() != QDialog::Accepted)
            return false;
        const QString refusal =
            printsToFile(printer) ? dialogNameRefusal(printer.outputFileName()) : QString();
        if (!refusal.isEmpty()) {
            reportError(refusal);
            return false;
        }
        if (firstCellBox)
            choices.firstCell = firstCellBox->value();
        if (frontsThenBacksBox) {
            choices.frontsThenBacks = frontsThenBacksBox->isChecked();
            choices.faceUp = faceUpBox->isChecked();
        }
        if (reprint.tab && reprint.sameDateBox->isChecked())
            choices.runDate.chosen = reprint.runCombo->currentData().toDateTime();
        return true;
    };
    dialogs.exportRun = [parent](const QString &suggested) -> std::optional<ExportChoice> {
        QStringList filters;
        for (const FileOutputKind &kind : fileOutputKinds())
            filters.append(kind.nameFilter);
        QFileDialog dialog(parent, QStringLiteral("Export Run"));
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setNameFilters(filters);
        dialog.selectFile(suggested + QLatin1String(fileOutputKinds().constFirst().suffix));
        ExportChoice choice;
        if (!runFileDialog(dialog, choice.file))
            return std::nullopt;
        // The kind chosen, where the name gives none.
        const FileOutputKind &kind =
            fileOutputKinds()[std::max<qsizetype>(0, filters.indexOf(dialog.selectedNameFilter()))];
        if (QFileInfo(choice.file).suffix().isEmpty())
            choice.file += QLatin1String(kind.suffix);
        if (fileOutputKindFor(choice.file).rastered) {
            bool ok = false;
            choice.dotsPerInch = QInputDialog::getInt(
                parent, QStringLiteral("Export Run"),
                QStringLiteral("Resolution of the pages (dots per inch):"), 300, 72, 1200, 1, &ok);
            if (!ok)
                return std::nullopt;
        }
        return choice;
    };
    dialogs.pageSetup = [parent](QPrinter &printer) {
        QPageSetupDialog dialog(&printer, parent);
        return dialog.exec() == QDialog::Accepted;
    };
    dialogs.progress = [parent](std::int32_t sheets) {
        return printProgressDialog(parent, sheets);
    };
    dialogs.confirm = [parent](const QString &text, const QString &caption) {
        return QMessageBox::warning(parent, caption, text, QMessageBox::Ok | QMessageBox::Cancel,
                                    QMessageBox::Cancel) == QMessageBox::Ok;
    };
    dialogs.choose = [parent](const QString &text, const QString &caption, const QString &goOn) {
        QMessageBox box(QMessageBox::Warning, caption, text, QMessageBox::Cancel, parent);
        const QAbstractButton *chosen = box.addButton(goOn, QMessageBox::AcceptRole);
        box.setDefaultButton(QMessageBox::Cancel);
        box.exec();
        return box.clickedButton() == chosen;
    };
    return dialogs;
}

PrintProgress printProgressDialog(QWidget *parent, std::int32_t sheets)
{
    auto window = std::make_shared<ProgressWindow>(parent);
    QProgressDialog *dialog = window->dialog;
    dialog->setWindowTitle(QStringLiteral("Print"));
    dialog->setCancelButtonText(QStringLiteral("Cancel"));
    dialog->setWindowModality(Qt::WindowModal);
    dialog->setRange(0, sheets);
    dialog->setMinimumDuration(progressDelayMilliseconds);
    const QString text = QStringLiteral("Printing page %1 of %2");
    return [window, text](std::int32_t page, std::int32_t of) {
        QProgressDialog *dialog = window->dialog;
        if (!dialog)
            return false;
        // Lets the dialog appear and its Cancel button be pressed; asked
        // again within a long page, it only lets the button be pressed.
        if (dialog->value() == page - 1) {
            QCoreApplication::processEvents();
        } else {
            dialog->setLabelText(text.arg(page).arg(of));
            dialog->setValue(page - 1);
        }
        return !dialog->wasCanceled();
    };
}
