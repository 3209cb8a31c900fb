#pragma once

#include "properties/objectpage.h"

class QCheckBox;
class QDoubleSpinBox;
class QSpinBox;

// The Picture tab: the picture's size, with its proportions kept or not, its
// file and page, and whether it covers the page and whether it prints.
class PicturePage : public ObjectPage
{
    Q_OBJECT

public:
    explicit PicturePage(const DocumentEditor &editor);

    void fill(const Document &doc, int index, bool forSelection) override;
    void store(Document &doc, int index, bool closing) override;

private:
    // A side was set: with proportions kept, the other follows.
    void sideSet(QDoubleSpinBox *side);

    QDoubleSpinBox *m_widthSpinBox = nullptr;
    QDoubleSpinBox *m_heightSpinBox = nullptr;
    QCheckBox *m_keepProportionsCheckBox = nullptr;
    QLabel *m_fileValue = nullptr;
    QSpinBox *m_pageSpinBox = nullptr;
    QCheckBox *m_backgroundCheckBox = nullptr;
    QCheckBox *m_printedCheckBox = nullptr;
};
