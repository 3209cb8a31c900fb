#pragma once

#include "properties/objectpage.h"

class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QSpinBox;
struct FormatEntries;

// The Format tab of a number: the prefix and suffix, the repeat, the check
// character, the system and width, or the whole text as a barcode.
class FormatPage : public ObjectPage
{
    Q_OBJECT

public:
    explicit FormatPage(const DocumentEditor &editor);

    void fill(const Document &doc, int index, bool forSelection) override;
    void store(Document &doc, int index, bool closing) override;
    bool changesBarcodeValue() const override { return true; }

private:
    void buildBarcodeControls();
    FormatEntries entries() const;

    QLineEdit *m_prefixEdit = nullptr;
    QLineEdit *m_suffixEdit = nullptr;
    QSpinBox *m_repeatSpinBox = nullptr;
    QComboBox *m_checkCharacterBox = nullptr;
    QComboBox *m_systemBox = nullptr;
    QCheckBox *m_autoWidthCheckBox = nullptr;
    QLabel *m_barcodeLabel = nullptr;
    QComboBox *m_barcodeBox = nullptr;
    QLabel *m_barHeightLabel = nullptr;
    QDoubleSpinBox *m_barHeightSpinBox = nullptr;
    QLabel *m_moduleWidthLabel = nullptr;
    QDoubleSpinBox *m_moduleWidthSpinBox = nullptr;
    QCheckBox *m_barcodeTextCheckBox = nullptr;
};
