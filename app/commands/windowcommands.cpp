#include "commands/windowcommands.h"

#include "commands/actions.h"
#include "pagetool.h"
#include "properties/objectpropertieswindow.h"
#include "run/calibration.h"

#include <QEvent>

WindowCommands::WindowCommands(DocumentEditor &editor, const PageTool &tool, QWidget *parent)
    : Commands(parent), m_frame(parent), m_places(userSettingsPath()),
      m_objectProperties(new ObjectPropertiesWindow(editor, parent))
{
    m_objectProperties->installEventFilter(this);
    objectPropertiesAction = makeAction(parent, "objectPropertiesAction", "&Object Properties");
    objectPropertiesAction->setCheckable(true);
    // The menu lists no windows to choose: its one document window is fixed.
    untitledAction = makeAction(parent, "untitledAction", "&Untitled", {}, false);

    connect(&tool, &PageTool::pressed, m_objectProperties, &ObjectPropertiesWindow::forgetChoices);
    connect(&tool, &PageTool::pressHandled, m_objectProperties,
            &ObjectPropertiesWindow::fillDialog);
    connect(objectPropertiesAction, &QAction::triggered, this, [this] {
        // The item has already changed its tick; closing the window removes it.
        if (objectPropertiesAction->isChecked())
            showObjectProperties();
        else
            m_objectProperties->close();
    });
}

CommandRows WindowCommands::rows() const
{
    return {{{Menu::Windows, 1, 1, objectPropertiesAction}, {Menu::Windows, 2, 1, untitledAction}},
            {},
            {}};
}

void WindowCommands::showObjectProperties()
{
    if (!m_objectPropertiesPlaced && !m_places.restore(*m_objectProperties)) {
        const QRect frame = m_frame->geometry();
        m_objectProperties->adjustSize();
        m_objectProperties->move(frame.right() - m_objectProperties->width() - 24,
                                 frame.top() + 80);
    }
    m_objectPropertiesPlaced = true;
    m_objectProperties->show();
    objectPropertiesAction->setChecked(true);
}

void WindowCommands::keepPlaces() const
{
    m_places.keep(*m_objectProperties);
}

bool WindowCommands::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_objectProperties && event->type() == QEvent::Hide && !event->spontaneous())
        objectPropertiesAction->setChecked(false);
    return Commands::eventFilter(watched, event);
}
