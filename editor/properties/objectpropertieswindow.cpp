#include "properties/objectpropertieswindow.h"

#include "barcode.h"
#include "dialogstyle.h"
#include "guarded.h"
#include "kinds.h"
#include "numbering.h"
#include "properties/objectpage.h"
#include "properties/objectpages.h"

#include <QCloseEvent>
#include <QLineEdit>
#include <QScopeGuard>
#include <QShowEvent>
#include <QTabBar>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>

namespace {

// Why a number shown as a barcode cannot show its value on the first, the
// shown or the last page; empty when it can.
QString unscannable(const Document &doc, int index)
{
    const PageObject &object = doc.objects[index];
    if (!object.format.barcode || !kindRow(object.kind).numbered)
        return {};
    for (const std::int32_t page : {1, doc.pageShown, doc.pagesToPrint}) {
        if (const std::optional<BarcodeRefusal> refusal =
                barcodeRefusal(*object.format.barcode, objectText(doc, index, page)))
            return refusal->onPage(page);
    }
    return {};
}

} // namespace

ObjectPropertiesWindow::ObjectPropertiesWindow(DocumentEditor &editor, QWidget *parent)
    : QWidget(parent), m_editor(editor)
{
    setObjectName(QStringLiteral("ObjectPropertiesWindow"));
    setWindowTitle(QStringLiteral("Object Properties"));
    // A small tool window above the page it edits, with a close box only; not
    // above every window, which would hide the messages it causes.
    setWindowFlags(Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    setFont(designFont());

    m_tabs = new QTabWidget(this);
    m_tabs->setObjectName(QStringLiteral("tabs"));
    m_tabs->setDocumentMode(true);
    // Every tab's title shows: the window is as wide as its tab bar.
    m_tabs->tabBar()->setUsesScrollButtons(false);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_tabs);
    for (ObjectPage *page : makeObjectPages(editor))
        addPage(page);
    m_tabs->setEnabled(false);

    connect(m_tabs, &QTabWidget::currentChanged, this, [this] {
        if (soleSelected(m_editor.document()) >= 0)
            fillDialog();
    });
    connect(&m_editor, &DocumentEditor::changed, this, &ObjectPropertiesWindow::refresh);
}

ObjectPropertiesWindow::~ObjectPropertiesWindow()
{
    // The window hides as it goes, and a box that loses the focus then would
    // apply itself to a window half gone.
    for (const QObject *control : findChildren<QObject *>())
        disconnect(control, nullptr, this, nullptr);
}

void ObjectPropertiesWindow::addPage(ObjectPage *page)
{
    m_pages.append(page);
    m_tabs->addTab(page, page->title());
    connect(page, &ObjectPage::changed, this,
            [this, page](bool showStored) { changed(page, showStored); });
    connect(page, &ObjectPage::entered, this,
            [this, page](QWidget *focusAfter, bool apply) { entered(page, focusAfter, apply); });
    connect(page, &ObjectPage::typed, this,
            [this, page](QLineEdit *field) { commitTyped(page, field); });
}

void ObjectPropertiesWindow::fillDialog()
{
    fill(true);
}

void ObjectPropertiesWindow::forgetChoices()
{
    for (ObjectPage *page : std::as_const(m_pages))
        page->forgetChoices();
}

void ObjectPropertiesWindow::refresh()
{
    if (!m_applying)
        fill(false);
}

void ObjectPropertiesWindow::fill(bool forSelection)
{
    // A copy, shared and cheap: filling a page for a selection may store what
    // it brings into range, and the pages read on from what they were given.
    const Document doc = m_editor.document();
    const int index = soleSelected(doc);
    m_tabs->setEnabled(index >= 0);
    if (index < 0)
        return;
    // What was chosen for another object is not carried over to this one.
    if (index != m_filledObject)
        forgetChoices();
    m_filledObject = index;
    const PropertyPages pages = editorKindRow(doc.objects[index].kind).pages;
    for (ObjectPage *page : std::as_const(m_pages))
        page->setEnabled(pages.testFlag(page->id()));
    static_cast<ObjectPage *>(m_tabs->currentWidget())->fill(doc, index, forSelection);
}

void ObjectPropertiesWindow::entered(ObjectPage *page, QWidget *focusAfter, bool applies)
{
    guarded([this, page, focusAfter, applies] {
        m_pending = page;
        if (applies) {
            apply(false);
            // What was stored, which links and ranges may have changed.
            fill(false);
        }
        focusAfter->setFocus();
    });
}

void ObjectPropertiesWindow::changed(ObjectPage *page, bool showStored)
{
    guarded([this, page, showStored] {
        m_pending = page;
        apply(false);
        if (showStored)
            fill(false);
    });
}

void ObjectPropertiesWindow::commitTyped(ObjectPage *page, QLineEdit *field)
{
    bool applied = false;
    guarded([this, page, &applied] {
        m_pending = page;
        apply(false);
        fill(false);
        applied = true;
    });
    // An entry that is no number keeps the focus, so that it can be mended.
    if (!applied)
        QTimer::singleShot(0, field, [field] { field->setFocus(); });
}

void ObjectPropertiesWindow::apply(bool closing)
{
    const int index = soleSelected(m_editor.document());
    if (index < 0 || !m_pending)
        return;
    ObjectPage *const page = m_pending;
    page->prepareStore(m_editor.document(), index, closing);
    QString refusal;
    {
        m_applying = true;
        const auto done = qScopeGuard([this] { m_applying = false; });
        // The fields stored before one that is no number keep their values.
        m_editor.edit(page->title(), [&](Document &doc) {
            const Document before = doc;
            page->store(doc, index, closing);
            // What a barcode cannot show is refused where it is chosen.
            if (page->changesBarcodeValue())
                refusal = unscannable(doc, index);
            if (!refusal.isEmpty())
                doc = before;
        });
    }
    if (!refusal.isEmpty()) {
        // The window shows what is stored again: nothing refused stays on
        // show, to be applied again when the focus moves.
        m_pending = nullptr;
        fill(false);
        throw PaginetteError(refusal);
    }
}

void ObjectPropertiesWindow::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (!event->spontaneous())
        fillDialog();
}

void ObjectPropertiesWindow::closeEvent(QCloseEvent *event)
{
    // A field that is no number keeps the window open, so it can be mended.
    bool applied = false;
    guarded([this, &applied] {
        apply(true);
        applied = true;
    });
    if (!applied) {
        event->ignore();
        return;
    }
    QWidget::closeEvent(event);
}
