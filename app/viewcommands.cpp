#include "viewcommands.h"

#include "guarded.h"
#include "mainframeui.h"
#include "numberconversion.h"
#include "pagespinbox.h"
#include "services.h"
#include "textdrawing.h"
#include "tform1.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QToolButton>

#include <algorithm>

ViewCommands::ViewCommands(TForm1 &frame, MainFrameUi &ui, const AppContext &context)
    : m_frame(frame), m_ui(ui), m_context(context)
{
}

void ViewCommands::pagesKeyDown()
{
    guarded([this] {
        // A text that is no number is reported here, before anything changed.
        const std::int32_t count = textToInt32(m_ui.pages->text());
        DocumentState &doc = m_context.doc;
        if (count != doc.pagesToPrint) {
            doc.pagesToPrint = count;
            m_context.shell.docModified = 1;
            updateMenuState();
        }
        m_ui.pages->setText(QString::number(count));
        m_ui.mode->setFocus();
    });
}

void ViewCommands::pageChange(int value)
{
    m_ui.page->settle();
    DocumentState &doc = m_context.doc;
    doc.pageShown = std::min<std::int32_t>(std::max(value, 1), doc.pagesToPrint);
    {
        const QSignalBlocker blocker(m_ui.page);
        m_ui.page->setValue(doc.pageShown);
    }
    m_frame.renderScreen();
}

void ViewCommands::pageKeyDown()
{
    // The box shows a blank 0 until its first change; no page below 1 is taken.
    m_context.doc.pageShown = std::max(m_ui.page->value(), PageSpinBox::firstPage);
}

void ViewCommands::showLinks()
{
    // The item has already changed its tick.
    m_context.prefs.showLinks = m_ui.ShowLinks1->isChecked() ? 1 : 0;
    m_frame.renderScreen();
}

void ViewCommands::align(AlignRule rule)
{
    DocumentState &doc = m_context.doc;
    const bool moved = alignSelected(doc, rule, [&doc](int index) {
        return measureTextWidth(doc.fontNames[index], doc.objects[index].fontSize,
                                doc.texts[index]);
    });
    if (moved) {
        m_context.shell.docModified = 1;
        updateMenuState();
    }
    runLayout(doc);
    m_frame.renderScreen();
}

void ViewCommands::arrange(DrawOrderMove move)
{
    if (!moveInDrawOrder(m_context.doc, move))
        return;
    m_context.shell.docModified = 1;
    updateMenuState();
    m_frame.renderScreen();
}

void ViewCommands::showDocumentValues()
{
    const DocumentState &doc = m_context.doc;
    m_ui.pages->setText(QString::number(doc.pagesToPrint));
    const QSignalBlocker blocker(m_ui.page);
    m_ui.page->settle();
    m_ui.page->setValue(doc.pageShown);
}

void ViewCommands::updateMenuState()
{
    const DocumentState &doc = m_context.doc;
    const ShellState &shell = m_context.shell;
    m_ui.CreateMatrix1->setEnabled(doc.selectedCount == 1);
    m_ui.Duplicate->setEnabled(doc.selectedCount != 0);
    // An unnamed document leaves Save as it was.
    if (shell.docNamed == 1)
        m_ui.Save1->setEnabled(shell.docModified == 1);
    m_ui.Close2->setEnabled(shell.docOpen == 1);
}

void ViewCommands::updateAlignButtons()
{
    const bool several = m_context.doc.selectedCount >= 2;
    for (QToolButton *button :
         {m_ui.left, m_ui.hCenter, m_ui.right, m_ui.top, m_ui.vCenter, m_ui.bottom})
        button->setEnabled(several);
}

void ViewCommands::updateArrangeItems()
{
    const bool one = m_context.doc.selectedCount == 1;
    for (QAction *item : {m_ui.BF, m_ui.SB, m_ui.BTF, m_ui.STB})
        item->setEnabled(one);
}
