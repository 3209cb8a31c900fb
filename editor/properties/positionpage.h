#pragma once

#include "properties/objectpage.h"

// The Position tab: where the object stands, its angle and its name.
class PositionPage : public ObjectPage
{
    Q_OBJECT

public:
    explicit PositionPage(const DocumentEditor &editor);

    void fill(const Document &doc, int index, bool forSelection) override;
    void store(Document &doc, int index, bool closing) override;

private:
    QLineEdit *m_xEdit = nullptr;
    QLineEdit *m_yEdit = nullptr;
    QLineEdit *m_angleEdit = nullptr;
    QLineEdit *m_nameEdit = nullptr;
};
