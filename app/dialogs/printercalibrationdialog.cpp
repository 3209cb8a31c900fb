#include "dialogs/printercalibrationdialog.h"

#include "dialogstyle.h"
#include "guarded.h"

#include <QComboBox>
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
    sideBox = new QComboBox(this);
    sideBox->setObjectName(QStringLiteral("sideBox"));
    sideBox->addItems({QStringLiteral("Front"), QStringLiteral("Back")});
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
    rotationSpinBox = valueBox(this, "rotationSpinBox", -Calibration::maxRotation,
                               Calibration::maxRotation, QStringLiteral(" tenths of a degree"));
    rotationSpinBox->setDecimals(0);
    rotationSpinBox->setSingleStep(1);
    auto *hint =
        new QLabel(QStringLiteral("A positive offset moves the print right and down."), this);
    testPageButton = button(this, "testPageButton", QStringLiteral("Print Test Page"));
    twoSidedTestButton = button(this, "twoSidedTestButton", QStringLiteral("Print Two-Sided Test"));
    okButton = button(this, "okButton", QStringLiteral("OK"));
    cancelButton = button(this, "cancelButton", QStringLiteral("Cancel"));
    okButton->setDefault(true);

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(testPageButton);
    buttons->addWidget(twoSidedTestButton);
    buttons->addStretch();
    buttons->addWidget(okButton);
    buttons->addWidget(cancelButton);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(printerLabel);
    auto *sideForm = new QFormLayout;
    sideForm->addRow(QStringLiteral("&Side:"), sideBox);
    layout->addLayout(sideForm);
    layout->addWidget(
        pairBox(this, QStringLiteral("Offset"), horizontalOffsetSpinBox, verticalOffsetSpinBox));
    layout->addWidget(
        pairBox(this, QStringLiteral("Scale"), horizontalScaleSpinBox, verticalScaleSpinBox));
    auto *rotationForm = new QFormLayout;
    rotationForm->addRow(QStringLiteral("&Rotation:"), rotationSpinBox);
    layout->addLayout(rotationForm);
    layout->addWidget(hint);
    layout->addLayout(buttons);

    connect(okButton, &QPushButton::clicked, this, &PrinterCalibrationDialog::store);
    connect(cancelButton, &QPushButton::clicked, this, &QDialog::reject);
    connect(testPageButton, &QPushButton::clicked, this, &PrinterCalibrationDialog::printTestPage);
    connect(twoSidedTestButton, &QPushButton::clicked, this,
            &PrinterCalibrationDialog::printTwoSidedTest);
    connect(sideBox, &QComboBox::currentIndexChanged, this,
            [this](int index) { showSide(index == 1 ? Side::Back : Side::Front); });
}

void PrinterCalibrationDialog::setTestPagePrinter(SidesPrinter print)
{
    m_printTestPage = std::move(print);
}

void PrinterCalibrationDialog::setTwoSidedTestPrinter(SidesPrinter print)
{
    m_printTwoSidedTest = std::move(print);
}

void PrinterCalibrationDialog::edit(const QString &printer)
{
    m_printer = printer;
    printerLabel->setText(QStringLiteral("Printer: %1").arg(printer));
    m_sides = {m_store.load(printer, Side::Front), m_store.load(printer, Side::Back)};
    m_shown = Side::Front;
    const QSignalBlocker blocker(sideBox);
    sideBox->setCurrentIndex(0);
    showValues(m_sides[0]);
}

void PrinterCalibrationDialog::showValues(const Calibration &calibration)
{
    horizontalOffsetSpinBox->setValue(calibration.offsetX);
    verticalOffsetSpinBox->setValue(calibration.offsetY);
    horizontalScaleSpinBox->setValue(calibration.scaleX);
    verticalScaleSpinBox->setValue(calibration.scaleY);
    rotationSpinBox->setValue(calibration.rotation);
}

void PrinterCalibrationDialog::showSide(Side side)
{
    m_sides[std::size_t(m_shown)] = values();
    m_shown = side;
    showValues(m_sides[std::size_t(side)]);
}

Calibration PrinterCalibrationDialog::values() const
{
    return {horizontalOffsetSpinBox->value(), verticalOffsetSpinBox->value(),
            horizontalScaleSpinBox->value(), verticalScaleSpinBox->value(),
            rotationSpinBox->value()};
}

Calibration PrinterCalibrationDialog::valuesOf(Side side) const
{
    return side == m_shown ? values() : m_sides[std::size_t(side)];
}

void PrinterCalibrationDialog::store()
{
    guarded([this] {
        for (const Side side : {Side::Front, Side::Back}) {
            const QString error = m_store.save(m_printer, valuesOf(side), side);
            if (!error.isEmpty()) {
                m_feedback.tell(error, caption);
                return;
            }
        }
        accept();
    });
}

void PrinterCalibrationDialog::printTestPage()
{
    guarded([this] {
        if (m_printTestPage)
            m_printTestPage(valuesOf(Side::Front), valuesOf(Side::Back));
    });
}

void PrinterCalibrationDialog::printTwoSidedTest()
{
    guarded([this] {
        if (m_printTwoSidedTest)
            m_printTwoSidedTest(valuesOf(Side::Front), valuesOf(Side::Back));
    });
}
