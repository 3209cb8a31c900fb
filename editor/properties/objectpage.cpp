#include "properties/objectpage.h"

#include "documenteditor.h"

#include <QEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

ObjectPage::ObjectPage(const DocumentEditor &editor, PropertyPage id, const char *name,
                       const QString &title)
    : m_editor(editor), m_id(id), m_title(title)
{
    setObjectName(QLatin1String(name));
}

void ObjectPage::prepareStore(const Document &, int, bool) {}

int ObjectPage::editedObject() const
{
    return soleSelected(m_editor.document());
}

const Document &ObjectPage::document() const
{
    return m_editor.document();
}

void ObjectPage::applyOnEnter(std::initializer_list<QWidget *> fields, QWidget *focusAfter)
{
    for (QWidget *field : fields) {
        m_focusAfter.insert(field, focusAfter);
        field->installEventFilter(this);
    }
}

bool ObjectPage::eventFilter(QObject *watched, QEvent *event)
{
    QWidget *const focusAfter = m_focusAfter.value(watched);
    if (!focusAfter)
        return QWidget::eventFilter(watched, event);
    if (event->type() == QEvent::FocusOut) {
        // A typed value is applied when the focus leaves its box, as Enter would.
        auto *field = qobject_cast<QLineEdit *>(watched);
        if (field && field->isModified())
            Q_EMIT typed(field);
        return QWidget::eventFilter(watched, event);
    }
    if (event->type() != QEvent::KeyPress)
        return QWidget::eventFilter(watched, event);
    const int key = static_cast<QKeyEvent *>(event)->key();
    if (key != Qt::Key_Return && key != Qt::Key_Enter)
        return QWidget::eventFilter(watched, event);
    Q_EMIT entered(focusAfter, true);
    return true;
}

QLabel *ObjectPage::label(const char *name, const QString &text)
{
    auto *result = new QLabel(text, this);
    result->setObjectName(QLatin1String(name));
    // The handlers park the keyboard focus on labels, out of the edit boxes.
    result->setFocusPolicy(Qt::ClickFocus);
    return result;
}

QLineEdit *ObjectPage::edit(const char *name, const QString &text, int designWidth)
{
    auto *result = make<QLineEdit>(name, designWidth);
    result->setText(text);
    return result;
}

void ObjectPage::layRows(std::initializer_list<std::initializer_list<QWidget *>> rows)
{
    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(4, 2, 4, 2);
    column->setSpacing(3);
    for (const auto &controls : rows) {
        auto *row = new QHBoxLayout;
        for (QWidget *control : controls)
            row->addWidget(control);
        row->addStretch();
        column->addLayout(row);
    }
    column->addStretch();
}
