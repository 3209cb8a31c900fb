#include "properties/positionpage.h"

#include "objectproperties.h"

#include <QLabel>
#include <QLineEdit>

PositionPage::PositionPage(const DocumentEditor &editor)
    : ObjectPage(editor, PropertyPage::Position, "positionTab", QStringLiteral("Position"))
{
    QLabel *horizontalLabel = label("horizontalLabel", QStringLiteral("Horizontal:"));
    m_xEdit = edit("xEdit", QStringLiteral("100"), 44);
    QLabel *verticalLabel = label("verticalLabel", QStringLiteral("Vertical:"));
    m_yEdit = edit("yEdit", QStringLiteral("100"), 44);
    QLabel *angleLabel = label("angleLabel", QStringLiteral("Angle:"));
    m_angleEdit = edit("angleEdit", QStringLiteral("angle"), 32);
    QLabel *nameLabel = label("nameLabel", QStringLiteral("Name:"));
    m_nameEdit = edit("nameEdit", QStringLiteral("name"), 140);
    m_nameEdit->setMaxLength(longestText);
    layRows({{horizontalLabel, m_xEdit, verticalLabel, m_yEdit, angleLabel, m_angleEdit},
             {nameLabel, m_nameEdit}});
    applyOnEnter({m_xEdit, m_yEdit, m_angleEdit, m_nameEdit}, horizontalLabel);
}

void PositionPage::fill(const Document &doc, int index, bool)
{
    const PositionEntries entries = positionEntriesOf(doc.objects[index]);
    m_xEdit->setText(entries.x);
    m_yEdit->setText(entries.y);
    m_angleEdit->setText(entries.angle);
    m_nameEdit->setText(entries.name);
}

void PositionPage::store(Document &doc, int index, bool)
{
    applyPosition(doc.objects[index], PositionEntries{m_xEdit->text(), m_yEdit->text(),
                                                      m_angleEdit->text(), m_nameEdit->text()});
}
