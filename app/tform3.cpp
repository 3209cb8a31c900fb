#include "tform3.h"

#include "dialogstyle.h"

#include <QFont>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>

namespace {
// Outer 235 x 120 less the dialog frame (3-pixel borders, 19-pixel caption).
constexpr QSize clientSize{229, 95};

QLabel *makeStaticText(QWidget *parent, const char *name, const QString &text, int x, int y)
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

TForm3::TForm3(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint | Qt::WindowStaysOnTopHint)
{
    setObjectName(QStringLiteral("TForm3"));
    setWindowTitle(QStringLiteral("Error"));
    setModal(true);
    setFixedSize(clientSize);
    setFont(designFont());

    // Creation order is the tab order.
    Button1 = makeButton(this, "Button1", QStringLiteral("Cancel"), QRect(8, 64, 65, 20));
    BitBtn1 = makeButton(this, "BitBtn1", QStringLiteral("OK"), QRect(160, 64, 59, 20));
    StaticText1 = makeStaticText(this, "StaticText1", QStringLiteral("Error:"), 8, 8);
    StaticText2 = makeStaticText(this, "StaticText2", QString(), 40, 8);
    StaticText3 = makeStaticText(this, "StaticText3", QString(), 40, 32);
    Button2 = makeButton(this, "Button2", QStringLiteral("No"), QRect(88, 64, 57, 20));
    Button1->hide();
    Button2->hide();
    BitBtn1->setDefault(true);

    connect(BitBtn1, &QPushButton::clicked, this, &TForm3::BitBtn1Click);
    connect(Button1, &QPushButton::clicked, this, &TForm3::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &TForm3::Button2Click);
}

void TForm3::focusFirstButton()
{
    // Cancel comes first in the tab order; without it OK takes the focus.
    QPushButton *first = Button1->isVisibleTo(this) ? Button1 : BitBtn1;
    first->setFocus(Qt::OtherFocusReason);
}

void TForm3::BitBtn1Click()
{
    done(AnswerOk);
}

void TForm3::Button1Click()
{
    done(AnswerCancel);
}

void TForm3::Button2Click()
{
    done(AnswerNo);
}

void TForm3::reject()
{
    done(AnswerCancel);
}

void TForm3::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    centerOnScreen(*this);
}

void TForm3::keyPressEvent(QKeyEvent *event)
{
    // Escape presses Cancel when shown, else No, else nothing.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        if (Button1->isVisible())
            Button1->click();
        else if (Button2->isVisible())
            Button2->click();
        return;
    }
    QDialog::keyPressEvent(event);
}
