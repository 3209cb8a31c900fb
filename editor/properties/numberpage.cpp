#include "properties/numberpage.h"

#include "kinds.h"
#include "objectproperties.h"
#include "objecttable.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>

NumberPage::NumberPage(const DocumentEditor &editor)
    : ObjectPage(editor, PropertyPage::Number, "numberTab", QStringLiteral("Number"))
{
    QLabel *startLabel = label("startLabel", QStringLiteral("Start:"));
    m_startEdit = edit("startEdit", QStringLiteral("0"), 64);
    m_formatBox = make<QComboBox>("formatBox", 86);
    m_formatBox->setEditable(true);
    m_formatBox->addItems(systemNames());
    m_formatBox->setEditText(QStringLiteral("d"));
    QLabel *endLabel = label("endLabel", QStringLiteral("End:"));
    m_endValue = label("endValue", QStringLiteral("0"));
    QLabel *nextPageLabel = label("nextPageLabel", QStringLiteral("To next page:"));
    m_nextPageEdit = edit("nextPageEdit", QStringLiteral("1"), 44);
    QLabel *nextLinkLabel = label("nextLinkLabel", QStringLiteral("To next in link:"));
    m_nextLinkEdit = edit("nextLinkEdit", QStringLiteral("1"), 44);
    m_sameAsLabel = label("sameAsLabel", QStringLiteral("Same as:"));
    m_sameAsBox = make<QComboBox>("sameAsBox", 120);
    layRows({{startLabel, m_startEdit, m_formatBox, endLabel, m_endValue},
             {nextPageLabel, m_nextPageEdit, nextLinkLabel, m_nextLinkEdit},
             {m_sameAsLabel, m_sameAsBox}});
    // Shown for a number on the back only.
    m_sameAsLabel->hide();
    m_sameAsBox->hide();
    connect(m_sameAsBox, &QComboBox::activated, this, [this] { Q_EMIT changed(true); });

    applyOnEnter({m_startEdit, m_nextPageEdit, m_nextLinkEdit}, m_endValue);
    connect(m_formatBox, &QComboBox::activated, this, [this] {
        convertStartEntryTo(m_formatBox->currentText());
        Q_EMIT changed(true);
    });
    // What is typed into the format box stays there while it is typed, and
    // switches the system once it names one.
    connect(m_formatBox->lineEdit(), &QLineEdit::textEdited, this, [this](const QString &typed) {
        if (!systemNames().contains(typed))
            return;
        convertStartEntryTo(typed);
        Q_EMIT changed(false);
    });
    connect(m_startEdit, &QLineEdit::textEdited, this, &NumberPage::previewEnd);
}

void NumberPage::fill(const Document &doc, int index, bool)
{
    const NumberEntries entries = numberEntriesOf(doc.objects[index]);
    m_formatBox->setEditText(entries.format);
    m_startEdit->setText(entries.start);
    m_startEdit->selectAll();
    m_nextPageEdit->setText(entries.nextPage);
    m_nextLinkEdit->setText(entries.nextLink);
    m_endValue->setText(endLabel(doc, index));
    fillSameAs(doc, index);
}

void NumberPage::fillSameAs(const Document &doc, int index)
{
    // Only a back has a front to show.
    const bool onBack = sideOf(doc, doc.objects[index]) == Side::Back;
    m_sameAsLabel->setVisible(onBack);
    m_sameAsBox->setVisible(onBack);
    m_sources.clear();
    m_sameAsBox->clear();
    m_sameAsBox->addItem(QStringLiteral("none"));
    if (onBack) {
        for (int i = 0; i < doc.count(); ++i) {
            const PageObject &object = doc.objects[i];
            if (kindRow(object.kind).numbered && sideOf(doc, object) == Side::Front &&
                object.sameAs == -1) {
                m_sources.append(i);
                m_sameAsBox->addItem(shownName(doc, i));
            }
        }
    }
    const std::int32_t source = onBack ? doc.objects[index].sameAs : -1;
    m_sameAsBox->setCurrentIndex(static_cast<int>(m_sources.indexOf(source) + 1));
    // A member of a link counts with its link: it shows no other's text.
    m_sameAsBox->setEnabled(!doc.objects[index].isLinked() || source != -1);
    // A number that shows another's text has no values of its own to set.
    const bool own = chosenSource() == -1;
    for (QWidget *control :
         std::initializer_list<QWidget *>{m_startEdit, m_formatBox, m_nextPageEdit, m_nextLinkEdit})
        control->setEnabled(own);
}

std::int32_t NumberPage::chosenSource() const
{
    return m_sources.value(m_sameAsBox->currentIndex() - 1, -1);
}

void NumberPage::store(Document &doc, int index, bool)
{
    if (m_sameAsBox->isVisibleTo(this)) {
        doc.objects[index].sameAs = chosenSource();
        if (doc.objects[index].sameAs != -1)
            return;
    }
    applyNumber(doc, index,
                NumberEntries{m_startEdit->text(), m_formatBox->currentText(),
                              m_nextPageEdit->text(), m_nextLinkEdit->text()});
}

void NumberPage::convertStartEntryTo(const QString &systemName)
{
    // The entry keeps its value in the system chosen, so it reads there.
    const int index = editedObject();
    if (index >= 0)
        m_startEdit->setText(convertStartEntry(
            m_startEdit->text(), document().objects[index].format.system, systemNamed(systemName)));
}

void NumberPage::previewEnd()
{
    const int index = editedObject();
    if (index < 0)
        return;
    if (const std::optional<QString> preview = endPreview(document(), index, m_startEdit->text(),
                                                          systemNamed(m_formatBox->currentText())))
        m_endValue->setText(*preview);
}
