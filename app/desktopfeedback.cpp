#include "desktopfeedback.h"

#include "guarded.h"

#include <QApplication>
#include <QMessageBox>

void showErrorBox(const QString &text)
{
    QMessageBox box(QMessageBox::Critical, QStringLiteral("Paginette"), text, QMessageBox::Ok,
                    QApplication::activeWindow());
    box.exec();
}

Feedback desktopFeedback()
{
    Feedback feedback;
    feedback.beep = [] {
        QApplication::beep();
    };
    feedback.message = [](const QString &text, const QString &caption) {
        const QString title = caption.isEmpty() ? QApplication::applicationName() : caption;
        QMessageBox box(QMessageBox::NoIcon, title, text, QMessageBox::Ok,
                        QApplication::activeWindow());
        box.exec();
    };
    feedback.question = [](const QString &text, const QString &caption) {
        QMessageBox box(QMessageBox::Question, caption, text, QMessageBox::Ok | QMessageBox::Cancel,
                        QApplication::activeWindow());
        box.setDefaultButton(QMessageBox::Cancel);
        return box.exec() == QMessageBox::Ok;
    };
    return feedback;
}

bool ErrorDisplay::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != ErrorEvent::eventType())
        return QObject::eventFilter(watched, event);
    showErrorBox(static_cast<const ErrorEvent *>(event)->text());
    return true;
}
