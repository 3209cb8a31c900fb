#include "application.h"

#include "pagerenderer.h"
#include "paginetteerror.h"
#include "services.h"
#include "viewstate.h"

#include <QMessageBox>

#include <exception>

Application::Application(int &argc, char **argv)
    : QApplication(argc, argv), m_errorDisplay(showErrorBox)
{
    setApplicationName(QStringLiteral("Paginette"));
}

bool Application::notify(QObject *receiver, QEvent *event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const PaginetteError &error) {
        showError(error.message());
    } catch (const std::exception &error) {
        showError(QString::fromLocal8Bit(error.what()));
    }
    return false;
}

void Application::setErrorDisplay(ErrorDisplay display)
{
    m_errorDisplay = std::move(display);
}

void Application::showError(const QString &text) const
{
    m_errorDisplay(text);
}

void showErrorBox(const QString &text)
{
    QMessageBox box(QMessageBox::Critical, QStringLiteral("Paginette"), text, QMessageBox::Ok,
                    QApplication::activeWindow());
    box.exec();
}

void installServices()
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
    hooks.layout = [](DocumentState &doc) {
        layoutPass(doc, theViewState().scrollOffset());
    };
}
