#pragma once

#include "documenteditor.h"

#include <QList>
#include <QWidget>

class ObjectPage;
class QLineEdit;
class QTabWidget;

// The Object Properties window: a frame of tab pages that edit the one
// selected object, a page at a time. A page is written back when the user
// confirms a field with Enter or changes a box, and once more when the
// window closes. The pages are enabled as the object's kind names them.
class ObjectPropertiesWindow : public QWidget
{
    Q_OBJECT

public:
    explicit ObjectPropertiesWindow(DocumentEditor &editor, QWidget *parent = nullptr);
    ~ObjectPropertiesWindow() override;

    // Shows the current object's values on the active tab, or disables the
    // tabs unless exactly one object is selected. Showing a size out of range
    // stores it brought into range.
    void fillDialog();
    // A press on the page: the pages forget what was chosen before it.
    void forgetChoices();

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void addPage(ObjectPage *page);
    // Enter in a field of `page`: the page is applied when `applies`, then
    // the focus leaves the field for `focusAfter`. A field that is no number
    // is reported and ends the handler there.
    void entered(ObjectPage *page, QWidget *focusAfter, bool applies);
    // A box of `page` changed: the page is applied, and the window shows
    // what was stored when `showStored`.
    void changed(ObjectPage *page, bool showStored);
    // The focus left `field` of `page` with a typed value: the page is applied.
    void commitTyped(ObjectPage *page, QLineEdit *field);
    // Applies the page last edited, as one step. `closing`: the window closes.
    void apply(bool closing);
    // Shows the stored values again after the document changed under the window.
    void refresh();
    // `forSelection`: a size shown brought into range is stored so.
    void fill(bool forSelection);

    DocumentEditor &m_editor;
    QTabWidget *m_tabs = nullptr;
    QList<ObjectPage *> m_pages;
    // The page last edited, kept across selections and across closing.
    ObjectPage *m_pending = nullptr;
    // An apply is in progress: the window shows what the user typed.
    bool m_applying = false;
    // The object last filled in; what was chosen belongs to it.
    int m_filledObject = -1;
};
