#include "viewcommands.h"

#include "guarded.h"
#include "mainframeui.h"
#include "numberconversion.h"
#include "numbering.h"
#include "objectshapes.h"
#include "pagespinbox.h"
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
    if (applyPages())
        m_ui.mode->setFocus();
}

void ViewCommands::takePagesBox()
{
    if (m_ui.pages->text() != QString::number(m_context.editor.document().pagesToPrint))
        applyPages();
}

bool ViewCommands::applyPages()
{
    bool applied = false;
    guarded([this, &applied] {
        // A text that is no number is reported here, before anything changed.
        const std::int32_t count = textToInt32(m_ui.pages->text());
        m_context.editor.edit(QStringLiteral("Pages"),
                              [count](Document &doc) { doc.pagesToPrint = count; });
        m_ui.pages->setText(QString::number(count));
        applied = true;
    });
    return applied;
}

void ViewCommands::pageChange(int value)
{
    DocumentEditor &editor = m_context.editor;
    const std::int32_t shown =
        std::min<std::int32_t>(std::max(value, 1), editor.document().pagesToPrint);
    {
        const QSignalBlocker blocker(m_ui.page);
        m_ui.page->setValue(shown);
    }
    editor.setPageShown(shown);
}

void ViewCommands::pageKeyDown()
{
    m_context.editor.setPageShown(m_ui.page->value());
}

void ViewCommands::showLinks()
{
    // The item has already changed its tick.
    m_context.prefs.showLinks = m_ui.ShowLinks1->isChecked() ? 1 : 0;
    m_frame.renderScreen();
}

void ViewCommands::align(AlignRule rule, const QString &label)
{
    m_context.editor.edit(label, [rule](Document &doc) {
        // Each object is as wide as it shows on the page shown.
        alignSelected(doc, rule, [&doc](int index) {
            return objectBoxSize(doc.objects[index], objectText(doc, index, doc.pageShown)).width;
        });
    });
}

void ViewCommands::arrange(DrawOrderMove move, const QString &label)
{
    m_context.editor.edit(label, [move](Document &doc) { moveInDrawOrder(doc, move); });
}

void ViewCommands::showDocumentValues()
{
    const Document &doc = m_context.editor.document();
    // What the user is typing stays until it is taken over.
    if (!m_ui.pages->isModified())
        m_ui.pages->setText(QString::number(doc.pagesToPrint));
    const QSignalBlocker blocker(m_ui.page);
    m_ui.page->setValue(doc.pageShown);
}

void ViewCommands::updateMenuState()
{
    const std::int32_t selected = selectedCount(m_context.editor.document());
    const ShellState &shell = m_context.shell;
    m_ui.CreateMatrix1->setEnabled(selected == 1);
    m_ui.Duplicate->setEnabled(selected != 0);
    // An unnamed document leaves Save as it was.
    if (shell.docNamed == 1)
        m_ui.Save1->setEnabled(shell.docModified == 1);
    m_ui.Close2->setEnabled(shell.docOpen == 1);
}

void ViewCommands::updateAlignButtons()
{
    const bool several = selectedCount(m_context.editor.document()) >= 2;
    for (QToolButton *button :
         {m_ui.left, m_ui.hCenter, m_ui.right, m_ui.top, m_ui.vCenter, m_ui.bottom})
        button->setEnabled(several);
}

void ViewCommands::updateArrangeItems()
{
    const bool one = selectedCount(m_context.editor.document()) == 1;
    for (QAction *item : {m_ui.BF, m_ui.SB, m_ui.BTF, m_ui.STB})
        item->setEnabled(one);
}
