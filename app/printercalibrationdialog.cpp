#include "printercalibrationdialog.h"

#include "dialogstyle.h"
#include "guarded.h"

#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

const QString caption = QStringLiteral("Printer Calibration");

QDoubleSpinBox *valueBox(QWidget *parent, const char *name, double low, double high,
                         const QString &suffix)
{
    auto *box = new QDoubleSpinBox(parent);
    box->setObjectName(QLatin1String(name));
    box->setRange(low, high);
    box->setDecimals(1);
    box->setSingleStep(0.1);
    box->setSuffix(suffix);
    return box;
}

QGroupBox *pairBox(QWidget *parent, const QString &title, QDoubleSpinBox *horizontal,
                   QDoubleSpinBox *vertical)
{
    auto *group = new QGroupBox(title, parent);
    auto *form = new QFormLayout(group);
    form->addRow(QStringLiteral("Horizontal:"), horizontal);
    form->addRow(QStringLiteral("Vertical:"), vertical);
    return group;
}

QPushButton *button(QWidget *parent, const char *name, const QString &text)
{
    auto *made = new QPushButton(text, parent);
    made->setObjectName(QLatin1String(name));
    return made;
}

} // namespace

PrinterCalibrationDialog::PrinterCalibrationDialog(const CalibrationStore &store,
                                                   const Feedback &feedback, QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint),
      m_store(store), m_feedback(feedback)
{
    setObjectName(QStringLiteral("PrinterCalibrationDialog"));
    setWindowTitle(caption);
    setModal(true);
    setFont(designFont());

    printerLabel = new QLabel(this);
    printerLabel->setObjectName(QStringLiteral("printerLabel"));
    const QString mm = QStringLiteral(" mm");
    const QString percent = QStringLiteral(" %");
    horizontalOffsetSpinBox = valueBox(this, "horizontalOffsetSpinBox", -Calibration::maxOffset,
                                       Calibration::maxOffset, mm);
    verticalOffsetSpinBox = valueBox(this, "verticalOffsetSpinBox", -Calibration::maxOffset,
                                     Calibration::maxOffset, mm);
    horizontalScaleSpinBox = valueBox(this, "horizontalScaleSpinBox", Calibration::minScale,
                                      Calibration::maxScale, percent);
    verticalScaleSpinBox = valueBox(this, "verticalScaleSpinBox", Calibration::minScale,
                                    Calibration::maxScale, percent);
    auto *hint =
        new QLabel(QStringLiteral("A positive offset moves the print right and down."), this);
    testPageButton = button(this, "testPageButton", QStringLiteral("Print Test Page"));
    okButton = button(this, "okButton", QStringLiteral("OK"));
    cancelButton = button(this, "cancelButton", QStringLiteral("Cancel"));
    okButton->setDefault(true);

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(testPageButton);
    buttons->addStretch();
    buttons->addWidget(okButton);
    buttons->addWidget(cancelButton);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(printerLabel);
    layout->addWidget(
        pairBox(this, QStringLiteral("Offset"), horizontalOffsetSpinBox, verticalOffsetSpinBox));
    layout->addWidget(
        pairBox(this, QStringLiteral("Scale"), horizontalScaleSpinBox, verticalScaleSpinBox));
    layout->addWidget(hint);
    layout->addLayout(buttons);

    connect(okButton, &QPushButton::clicked, this, &PrinterCalibrationDialog::store);
    connect(cancelButton, &QPushButton::clicked, this, &QDialog::reject);
    connect(testPageButton, &QPushButton::clicked, this, &PrinterCalibrationDialog::printTestPage);
}

void PrinterCalibrationDialog::setTestPagePrinter(std::function<void(const Calibration &)> print)
{
    m_printTestPage = std::move(print);
}

void PrinterCalibrationDialog::edit(const QString &printer)
{
    m_printer = printer;
    printerLabel->setText(QStringLiteral("Printer: %1").arg(printer));
    const Calibration stored = m_store.load(printer);
    horizontalOffsetSpinBox->setValue(stored.offsetX);
    verticalOffsetSpinBox->setValue(stored.offsetY);
    horizontalScaleSpinBox->setValue(stored.scaleX);
    verticalScaleSpinBox->setValue(stored.scaleY);
}

Calibration PrinterCalibrationDialog::values() const
{
    return {horizontalOffsetSpinBox->value(), verticalOffsetSpinBox->value(),
            horizontalScaleSpinBox->value(), verticalScaleSpinBox->value()};
}

void PrinterCalibrationDialog::store()
{
    guarded([this] {
        const QString error = m_store.save(m_printer, values());
        if (!error.isEmpty()) {
            m_feedback.tell(error, caption);
            return;
        }
        accept();
    });
}

void PrinterCalibrationDialog::printTestPage()
{
    guarded([this] {
        if (m_printTestPage)
            m_printTestPage(values());
    });
}
