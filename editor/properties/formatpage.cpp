#include "properties/formatpage.h"

#include "document.h"
#include "objectproperties.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QSpinBox>

FormatPage::FormatPage(const DocumentEditor &editor)
    : ObjectPage(editor, PropertyPage::Format, "formatTab", QStringLiteral("Format"))
{
    QLabel *prefixLabel = label("prefixLabel", QStringLiteral("Prefix:"));
    m_prefixEdit = edit("prefixEdit", QString(), 86);
    QLabel *suffixLabel = label("suffixLabel", QStringLiteral("Suffix:"));
    m_suffixEdit = edit("suffixEdit", QString(), 86);
    for (QLineEdit *affix : {m_prefixEdit, m_suffixEdit}) {
        affix->setMaxLength(NumberFormat::maxAffixLength);
        affix->setToolTip(QStringLiteral("{page}, {pages} and {last} stand for the page, the "
                                         "pages to print and the value on the last page"));
    }
    QLabel *repeatLabel = label("repeatLabel", QStringLiteral("Repeat:"));
    m_repeatSpinBox = make<QSpinBox>("repeatSpinBox", 56);
    m_repeatSpinBox->setRange(1, NumberFormat::maxRepeat);
    m_repeatSpinBox->setToolTip(QStringLiteral("Pages each value is printed on"));
    QLabel *checkLabel = label("checkLabel", QStringLiteral("Check:"));
    m_checkCharacterBox = make<QComboBox>("checkCharacterBox", 116);
    m_checkCharacterBox->addItems(checkNames());
    QLabel *systemLabel = label("systemLabel", QStringLiteral("System:"));
    m_systemBox = make<QComboBox>("systemBox", 86);
    m_systemBox->addItems(systemNames());
    m_autoWidthCheckBox = make<QCheckBox>("autoWidthCheckBox");
    m_autoWidthCheckBox->setText(QStringLiteral("Width of the last"));
    m_autoWidthCheckBox->setToolTip(
        QStringLiteral("As many digits as the widest value of the run"));
    buildBarcodeControls();
    layRows({{prefixLabel, m_prefixEdit, suffixLabel, m_suffixEdit},
             {repeatLabel, m_repeatSpinBox, checkLabel, m_checkCharacterBox},
             {systemLabel, m_systemBox, m_autoWidthCheckBox},
             {m_barcodeLabel, m_barcodeBox, m_barHeightLabel, m_barHeightSpinBox},
             {m_moduleWidthLabel, m_moduleWidthSpinBox, m_barcodeTextCheckBox}});

    applyOnEnter({m_prefixEdit, m_suffixEdit}, prefixLabel);
    const auto apply = [this] {
        Q_EMIT changed(true);
    };
    for (QComboBox *box : {m_checkCharacterBox, m_systemBox, m_barcodeBox})
        connect(box, &QComboBox::activated, this, apply);
    for (QCheckBox *choice : {m_autoWidthCheckBox, m_barcodeTextCheckBox})
        connect(choice, &QCheckBox::clicked, this, apply);
    for (QDoubleSpinBox *length : {m_barHeightSpinBox, m_moduleWidthSpinBox})
        connect(length, &QDoubleSpinBox::editingFinished, this, apply);
    // Enter or leaving the box; an unchanged repeat makes no step.
    connect(m_repeatSpinBox, &QSpinBox::editingFinished, this, apply);
}

void FormatPage::buildBarcodeControls()
{
    m_barcodeLabel = label("barcodeLabel", QStringLiteral("Barcode:"));
    m_barcodeBox = make<QComboBox>("barcodeBox", 112);
    m_barcodeBox->addItems(barcodeNames());
    m_barHeightLabel = label("barHeightLabel", QStringLiteral("Height:"));
    m_barHeightSpinBox = make<QDoubleSpinBox>("barHeightSpinBox", 56);
    m_moduleWidthLabel = label("moduleWidthLabel", QStringLiteral("Module:"));
    m_moduleWidthSpinBox = make<QDoubleSpinBox>("moduleWidthSpinBox", 64);
    for (QDoubleSpinBox *length : {m_barHeightSpinBox, m_moduleWidthSpinBox}) {
        length->setRange(BarcodeStyle::smallestLength, BarcodeStyle::largestLength);
        length->setDecimals(2);
        length->setSingleStep(0.25);
    }
    m_barHeightSpinBox->setToolTip(QStringLiteral("Height of the bars, in points"));
    m_moduleWidthSpinBox->setToolTip(
        QStringLiteral("Narrowest bar, or side of a square module, in points"));
    m_barcodeTextCheckBox = make<QCheckBox>("barcodeTextCheckBox");
    m_barcodeTextCheckBox->setText(QStringLiteral("Text under the bars"));
}

void FormatPage::fill(const Document &doc, int index, bool)
{
    const FormatEntries shown = formatEntriesOf(doc.objects[index]);
    m_prefixEdit->setText(shown.prefix);
    m_suffixEdit->setText(shown.suffix);
    {
        const QSignalBlocker blocker(m_repeatSpinBox);
        m_repeatSpinBox->setValue(shown.repeat);
    }
    m_checkCharacterBox->setCurrentText(shown.check);
    m_systemBox->setCurrentText(shown.system);
    m_autoWidthCheckBox->setChecked(shown.autoWidth);
    m_barcodeBox->setCurrentText(shown.barcode);
    for (const auto &[box, value] : {std::pair{m_barHeightSpinBox, shown.barHeight},
                                     {m_moduleWidthSpinBox, shown.moduleWidth}}) {
        const QSignalBlocker blocker(box);
        box->setValue(value);
    }
    m_barcodeTextCheckBox->setChecked(shown.barcodeText);
}

void FormatPage::store(Document &doc, int index, bool)
{
    applyFormat(doc.objects[index], entries());
}

FormatEntries FormatPage::entries() const
{
    FormatEntries typed;
    typed.prefix = m_prefixEdit->text();
    typed.suffix = m_suffixEdit->text();
    typed.repeat = m_repeatSpinBox->value();
    typed.check = m_checkCharacterBox->currentText();
    typed.system = m_systemBox->currentText();
    typed.autoWidth = m_autoWidthCheckBox->isChecked();
    typed.barcode = m_barcodeBox->currentText();
    typed.barHeight = m_barHeightSpinBox->value();
    typed.moduleWidth = m_moduleWidthSpinBox->value();
    typed.barcodeText = m_barcodeTextCheckBox->isChecked();
    return typed;
}
