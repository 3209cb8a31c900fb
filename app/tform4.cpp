#include "tform4.h"

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

TForm4::TForm4(const CalibrationStore &store, const Feedback &feedback, QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint),
      m_store(store), m_feedback(feedback)
{
    setObjectName(QStringLiteral("TForm4"));
    setWindowTitle(caption);
    setModal(true);
    setFont(designFont());

    PrinterName = new QLabel(this);
    PrinterName->setObjectName(QStringLiteral("PrinterName"));
    const QString mm = QStringLiteral(" mm");
    const QString percent = QStringLiteral(" %");
    hOffset = valueBox(this, "hOffset", -Calibration::maxOffset, Calibration::maxOffset, mm);
    vOffset = valueBox(this, "vOffset", -Calibration::maxOffset, Calibration::maxOffset, mm);
    hScale = valueBox(this, "hScale", Calibration::minScale, Calibration::maxScale, percent);
    vScale = valueBox(this, "vScale", Calibration::minScale, Calibration::maxScale, percent);
    auto *hint =
        new QLabel(QStringLiteral("A positive offset moves the print right and down."), this);
    TestPageBtn = button(this, "TestPageBtn", QStringLiteral("Print Test Page"));
    OKBtn = button(this, "OKBtn", QStringLiteral("OK"));
    CancelBtn = button(this, "CancelBtn", QStringLiteral("Cancel"));
    OKBtn->setDefault(true);

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(TestPageBtn);
    buttons->addStretch();
    buttons->addWidget(OKBtn);
    buttons->addWidget(CancelBtn);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(PrinterName);
    layout->addWidget(pairBox(this, QStringLiteral("Offset"), hOffset, vOffset));
    layout->addWidget(pairBox(this, QStringLiteral("Scale"), hScale, vScale));
    layout->addWidget(hint);
    layout->addLayout(buttons);

    connect(OKBtn, &QPushButton::clicked, this, &TForm4::OKBtnClick);
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
    connect(TestPageBtn, &QPushButton::clicked, this, &TForm4::TestPageBtnClick);
}

void TForm4::setTestPagePrinter(std::function<void(const Calibration &)> print)
{
    m_printTestPage = std::move(print);
}

void TForm4::edit(const QString &printer)
{
    m_printer = printer;
    PrinterName->setText(QStringLiteral("Printer: %1").arg(printer));
    const Calibration stored = m_store.load(printer);
    hOffset->setValue(stored.offsetX);
    vOffset->setValue(stored.offsetY);
    hScale->setValue(stored.scaleX);
    vScale->setValue(stored.scaleY);
}

Calibration TForm4::values() const
{
    return {hOffset->value(), vOffset->value(), hScale->value(), vScale->value()};
}

void TForm4::OKBtnClick()
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

void TForm4::TestPageBtnClick()
{
    guarded([this] {
        if (m_printTestPage)
            m_printTestPage(values());
    });
}
