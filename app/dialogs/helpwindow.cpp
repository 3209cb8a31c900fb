#include "dialogs/helpwindow.h"

#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

HelpWindow::HelpWindow(QWidget *parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("HelpWindow"));
    setWindowTitle(QStringLiteral("Paginette Help"));
    browser = new QTextBrowser(this);
    browser->setObjectName(QStringLiteral("browser"));
    // Links to the web go to the desktop; the read-me's own stay here.
    browser->setOpenExternalLinks(true);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(browser);
    resize(640, 560);
}

void HelpWindow::showPage(const QUrl &page)
{
    browser->setSource(page);
    show();
    raise();
    activateWindow();
}
