#pragma once

#include <QWidget>

class QTextBrowser;
class QUrl;

// The read-me in a window of the program's own, for a desktop that has no
// browser to open it in.
class HelpWindow : public QWidget
{
    Q_OBJECT

public:
    explicit HelpWindow(QWidget *parent = nullptr);

    // Shows `page` and brings the window to the front.
    void showPage(const QUrl &page);

    QTextBrowser *browser = nullptr;
};
