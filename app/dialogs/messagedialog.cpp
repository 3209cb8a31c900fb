#include "dialogs/messagedialog.h"

#include "dialogstyle.h"

#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>

namespace {
// Outer 235 x 120 less the dialog frame (3-pixel borders, 19-pixel caption).
constexpr QSize clientSize{229, 95};

QLabel *makeText(QWidget *parent, const char *name, const QString &text, int x, int y)
{
    auto *label = new QLabel(text, parent);
    label->setObjectName(QLatin1String(name));
    label->move(x, y);
    label->adjustSize();
    return label;
}

QPushButton *makeButton(QWidget *parent, const char *name, const QString &text, const QRect &rect)
{
    auto *button = new QPushButton(text, parent);
    button->setObjectName(QLatin1String(name));
    button->setGeometry(rect);
    return button;
}
} // namespace

MessageDialog::MessageDialog(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint | Qt::WindowStaysOnTopHint)
{
    setObjectName(QStringLiteral("MessageDialog"));
    setWindowTitle(QStringLiteral("Error"));
    setModal(true);
    setFixedSize(clientSize);
    setFont(designFont());

    // Creation order is the tab order.
    cancelButton = makeButton(this, "cancelButton", QStringLiteral("Cancel"), QRect(8, 64, 65, 20));
    okButton = makeButton(this, "okButton", QStringLiteral("OK"), QRect(160, 64, 59, 20));
    label = makeText(this, "label", QStringLiteral("Error:"), 8, 8);
    firstLine = makeText(this, "firstLine", QString(), 40, 8);
    secondLine = makeText(this, "secondLine", QString(), 40, 32);
    noButton = makeButton(this, "noButton", QStringLiteral("No"), QRect(88, 64, 57, 20));
    cancelButton->hide();
    noButton->hide();
    okButton->setDefault(true);

    connect(okButton, &QPushButton::clicked, this, &MessageDialog::answerOk);
    connect(cancelButton, &QPushButton::clicked, this, &MessageDialog::answerCancel);
    connect(noButton, &QPushButton::clicked, this, &MessageDialog::answerNo);
}

int MessageDialog::ask(const QString &caption, const QString &labelText, const QString &line1,
                       const QString &line2, bool showCancel, bool showNo)
{
    setWindowTitle(caption);
    cancelButton->setVisible(showCancel);
    noButton->setVisible(showNo);
    label->setText(labelText);
    firstLine->setText(line1);
    secondLine->setText(line2);
    label->adjustSize();
    firstLine->adjustSize();
    secondLine->adjustSize();
    focusOk();
    return exec();
}

void MessageDialog::focusOk()
{
    // Enter presses the button with the focus: OK, as people expect, though
    // Cancel comes first in the tab order.
    okButton->setFocus(Qt::OtherFocusReason);
}

void MessageDialog::answerOk()
{
    done(AnswerOk);
}

void MessageDialog::answerCancel()
{
    done(AnswerCancel);
}

void MessageDialog::answerNo()
{
    done(AnswerNo);
}

void MessageDialog::reject()
{
    done(AnswerCancel);
}

void MessageDialog::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    centerOnScreen(*this);
}

void MessageDialog::keyPressEvent(QKeyEvent *event)
{
    // Escape presses Cancel when shown, else No, else nothing.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        if (cancelButton->isVisible())
            cancelButton->click();
        else if (noButton->isVisible())
            noButton->click();
        return;
    }
    QDialog::keyPressEvent(event);
}

int showMessageDialog(QWidget *parent, const QString &caption, const QString &label,
                      const QString &line1, const QString &line2, bool showCancel, bool showNo)
{
    MessageDialog dialog(parent);
    return dialog.ask(caption, label, line1, line2, showCancel, showNo);
}
