#pragma once

#include <QImage>
#include <QWidget>

#include <functional>

class QScrollBar;

// What the document window's close prompt needs from the shell above it.
struct CloseHooks
{
    std::function<int()> askSaveChanges;        // showMessageDialog result: 1, 2 or 5
    std::function<bool(QString &path)> choosePath; // the save dialog; false when cancelled
    std::function<void(const QString &path)> save;
};

// The one document window: shows the last rendered page and scrolls it.
class TForm6 : public QWidget
{
    Q_OBJECT

public:
    explicit TForm6(QWidget *parent = nullptr);

    QScrollBar *ScrollBar1 = nullptr;
    QScrollBar *ScrollBar2 = nullptr;

    void setCloseHooks(CloseHooks hooks);
    // The close prompt. Returns false when the user cancelled the save dialog:
    // the document then stays open.
    bool closeRequest();
    // Show set-up: scroll step, back buffer, render.
    void FormShow();
    // Copies the rendered page to the window.
    void present(const QImage &image);

Q_SIGNALS:
    // Sent after anything that changed the selection, so the main frame can
    // refresh its command states.
    void selectionChanged();
    void renderRequested();
};
