#include "appservices.h"

#include "pagerenderer.h"
#include "services.h"
#include "viewstate.h"

#include <QApplication>
#include <QMessageBox>

void showErrorBox(const QString &text)
{
    QMessageBox box(QMessageBox::Critical, QStringLiteral("Paginette"), text, QMessageBox::Ok,
                    QApplication::activeWindow());
    box.exec();
}

void installServices(ViewState &view)
{
    Services &hooks = services();
    hooks.beep = [] {
        QApplication::beep();
    };
    hooks.showMessage = [](const QString &text, const QString &caption) {
        // A box without a caption of its own carries the program's name.
        const QString title = caption.isEmpty() ? QApplication::applicationName() : caption;
        QMessageBox box(QMessageBox::NoIcon, title, text, QMessageBox::Ok,
                        QApplication::activeWindow());
        box.exec();
    };
    hooks.showError = [](const QString &text) {
        QMetaObject::invokeMethod(
            qApp, [text] { showErrorBox(text); }, Qt::QueuedConnection);
    };
    hooks.layout = [&view](DocumentState &doc) {
        layoutPass(doc, view.scrollOffset());
    };
}
