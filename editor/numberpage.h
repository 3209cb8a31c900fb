#pragma once

#include "objectpage.h"

class QComboBox;

// The Number tab: the start value in its system, the last page's value, and
// the steps to the next page and to the next member of a link.
class NumberPage : public ObjectPage
{
    Q_OBJECT

public:
    explicit NumberPage(const DocumentEditor &editor);

    void fill(const Document &doc, int index, bool forSelection) override;
    void store(Document &doc, int index, bool closing) override;
    bool changesBarcodeValue() const override { return true; }

private:
    // The Start entry rewritten for the system named `systemName`.
    void convertStartEntryTo(const QString &systemName);
    // What "End:" would show with the Start entry as typed.
    void previewEnd();

    QLineEdit *m_startEdit = nullptr;
    QComboBox *m_formatBox = nullptr;
    QLabel *m_endValue = nullptr;
    QLineEdit *m_nextPageEdit = nullptr;
    QLineEdit *m_nextLinkEdit = nullptr;
};
