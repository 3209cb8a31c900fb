#pragma once

#include "editorcontext.h"

#include <QList>
#include <QObject>
#include <QPoint>
#include <QString>

// What the mouse and the keys do on the page in each editing mode. The tool
// keeps the state of a gesture between press and release and changes the
// document through the document editor; it draws nothing itself.
class PageTool : public QObject
{
    Q_OBJECT

public:
    // `boxes` are the document window's object boxes, kept up to date by it.
    PageTool(const EditorContext &context, const QList<Bounds32> &boxes, QObject *parent = nullptr);

    // Points are the document window's pixels at one pixel per page unit.
    void mousePressed(QPoint point, Qt::KeyboardModifiers modifiers);
    void mouseMoved(QPoint point, Qt::MouseButtons buttons);
    void mouseReleased();
    // Arrow-key nudge of the selection; a run of them is one undo step.
    void nudge(std::int32_t dx, std::int32_t dy);
    // Deletes the selected objects as the step `label`, with one warning
    // per link they break.
    void deleteSelection(const QString &label);

    // The rubber band as last dragged, normalised; empty when there is none.
    Bounds32 bandRect() const { return m_bandRect; }

Q_SIGNALS:
    // A press is about to be handled: the Object Properties window forgets
    // the colour chosen before it.
    void pressed();
    // A press was handled: the Object Properties window shows the object
    // now selected.
    void pressHandled();
    void bandChanged();
    // A press in the place mode of a kind placed from a file, at page point
    // (x, y): the file is to be chosen and the object placed there.
    void fileRequested(std::int32_t kind, std::int32_t x, std::int32_t y);

private:
    // Places an object as the step `label`; false when the table is full.
    bool place(std::int32_t kind, QPoint point, const QString &label);
    // The page point under window point `point`.
    QPoint pagePoint(QPoint point) const;

    EditorContext m_context;
    const QList<Bounds32> &m_boxes;
    QPoint dragAnchor;
    QPoint bandCorner;
    Bounds32 m_bandRect;
    int lastHit = -1;
    bool movedSincePress = false;
};
