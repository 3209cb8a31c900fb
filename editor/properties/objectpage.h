#pragma once

#include "editorkinds.h"

#include <QHash>
#include <QString>
#include <QWidget>

#include <initializer_list>

class DocumentEditor;
class QLabel;
class QLineEdit;
struct Document;

// A tab of the Object Properties window: the fields of one concern of the
// selected object, shown from it and stored into it, one undo step named for
// the tab. The window applies the page; the page tells it when it was edited.
class ObjectPage : public QWidget
{
    Q_OBJECT

public:
    // `name` is the page's object name; `title`, its tab's and its step's.
    ObjectPage(const DocumentEditor &editor, PropertyPage id, const char *name,
               const QString &title);

    PropertyPage id() const { return m_id; }
    QString title() const { return m_title; }

    // Shows the values of object `index`. `forSelection`: shown for a
    // selection rather than after a change, which lets a page store a value
    // it had to bring into range.
    virtual void fill(const Document &doc, int index, bool forSelection) = 0;
    // Asks, before the edit, what the user must choose to store the page, so
    // that no dialog runs in the middle of one. `closing`: the window closes.
    virtual void prepareStore(const Document &doc, int index, bool closing);
    // Writes the fields into object `index`; a field that is no number throws.
    virtual void store(Document &doc, int index, bool closing) = 0;
    // Whether what it stores can give a barcode a value it cannot show.
    virtual bool changesBarcodeValue() const { return false; }
    // Forgets what was chosen for the object or the press before.
    virtual void forgetChoices() {}

Q_SIGNALS:
    // A box changed: the page is applied, then shows what was stored when
    // `showStored`.
    void changed(bool showStored);
    // Enter in a field: the page is applied when `apply`, then the focus
    // goes to `focusAfter`.
    void entered(QWidget *focusAfter, bool apply);
    // The focus left `field` with a value typed into it.
    void typed(QLineEdit *field);

protected:
    // Room for what a character area of the document file holds: a text, a name.
    static constexpr int longestText = 63;

    // Enter in one of `fields` applies the page and sends the focus to
    // `focusAfter`; a line edit is applied too when the focus leaves it with
    // a typed value.
    void applyOnEnter(std::initializer_list<QWidget *> fields, QWidget *focusAfter);
    bool eventFilter(QObject *watched, QEvent *event) override;
    // The one selected object, or -1.
    int editedObject() const;
    const Document &document() const;

    // A control of the page, as wide as the design made it where it gave a width.
    template <typename Widget> Widget *make(const char *name, int designWidth = 0)
    {
        auto *widget = new Widget(this);
        widget->setObjectName(QLatin1String(name));
        if (designWidth > 0)
            widget->setFixedWidth(designWidth);
        return widget;
    }
    QLabel *label(const char *name, const QString &text);
    QLineEdit *edit(const char *name, const QString &text, int designWidth);
    // The page's rows, top to bottom, each its controls left to right.
    void layRows(std::initializer_list<std::initializer_list<QWidget *>> rows);

private:
    const DocumentEditor &m_editor;
    const PropertyPage m_id;
    const QString m_title;
    // Each field that Enter applies, and where the focus goes after it.
    QHash<const QObject *, QWidget *> m_focusAfter;
};
