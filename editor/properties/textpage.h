#pragma once

#include "properties/objectpage.h"

// The Text tab: the text an object other than a number shows.
class TextPage : public ObjectPage
{
    Q_OBJECT

public:
    explicit TextPage(const DocumentEditor &editor);

    void fill(const Document &doc, int index, bool forSelection) override;
    void store(Document &doc, int index, bool closing) override;

private:
    QLineEdit *m_textEdit = nullptr;
};
