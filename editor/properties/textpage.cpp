#include "properties/textpage.h"

#include "numbering.h"
#include "objectproperties.h"

#include <QLabel>
#include <QLineEdit>

TextPage::TextPage(const DocumentEditor &editor)
    : ObjectPage(editor, PropertyPage::Text, "textTab", QStringLiteral("Text"))
{
    QLabel *textLabel = label("textLabel", QStringLiteral("Text:"));
    m_textEdit = edit("textEdit", QStringLiteral("text"), 217);
    m_textEdit->setMaxLength(longestText);
    layRows({{textLabel, m_textEdit}});
    applyOnEnter({m_textEdit}, textLabel);
}

void TextPage::fill(const Document &doc, int index, bool)
{
    m_textEdit->setText(objectText(doc, index, doc.pageShown));
}

void TextPage::store(Document &doc, int index, bool)
{
    applyText(doc.objects[index], m_textEdit->text());
}
