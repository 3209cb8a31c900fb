#pragma once

#include "properties/objectpage.h"

#include <QList>

#include <cstdint>

class QComboBox;

// The Number tab: the start value in its system, the last page's value, and
// the steps to the next page and to the next member of a link. A number on
// the back may instead show a front number's text ("Same as:"), which leaves
// its own number controls off.
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
    // Lists "none" and the front's numbers, and shows the one `index` shows.
    void fillSameAs(const Document &doc, int index);
    // The front number chosen in "Same as:", or -1 for none.
    std::int32_t chosenSource() const;

    QLineEdit *m_startEdit = nullptr;
    QComboBox *m_formatBox = nullptr;
    QLabel *m_endValue = nullptr;
    QLineEdit *m_nextPageEdit = nullptr;
    QLineEdit *m_nextLinkEdit = nullptr;
    QLabel *m_sameAsLabel = nullptr;
    QComboBox *m_sameAsBox = nullptr;
    QList<std::int32_t> m_sources; // the front number each item after "none" names
};
