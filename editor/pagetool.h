#pragma once

#include "editorcontext.h"

#include <QObject>
#include <QPoint>

// What the mouse and the keys do on the page in each editing mode. The tool
// keeps the state of a gesture between press and release, changes the
// document through the model's rules, and tells the layers above what
// changed; it draws nothing itself.
class PageTool : public QObject
{
    Q_OBJECT

public:
    explicit PageTool(const EditorContext &context, QObject *parent = nullptr);

    // Points are window pixels of the document window.
    void mousePressed(QPoint point, Qt::KeyboardModifiers modifiers);
    void mouseMoved(QPoint point, Qt::MouseButtons buttons);
    void mouseReleased();
    // Arrow-key nudge of the selection.
    void nudge(std::int32_t dx, std::int32_t dy);
    // Deletes the selected objects, with one warning per link they break.
    void deleteSelection();

    // The rubber band as last dragged, normalised; empty when there is none.
    Bounds32 bandRect() const { return m_bandRect; }

Q_SIGNALS:
    // After every press: the Object Properties window reloads and the
    // commands follow the selection.
    void pressed();
    // The selection changed other than by a press.
    void selectionChanged();
    // Selected objects were dragged; the Object Properties window follows.
    void objectsMoved();
    // The document now has unsaved changes.
    void documentModified();
    void redrawRequested();
    void bandChanged();

private:
    void place(std::int32_t kind, QPoint point);
    void setModified();

    EditorContext m_context;
    QPoint dragAnchor;
    QPoint bandCorner;
    Bounds32 m_bandRect;
    bool movedSincePress = false;
};
