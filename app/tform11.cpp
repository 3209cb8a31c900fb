#include "tform11.h"

#include "dialogstyle.h"

#include "document.h"
#include "guarded.h"
#include "numberconversion.h"

#include <QFont>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>

namespace {
// Outer 188 x 195 less the dialog frame (3-pixel borders, 19-pixel caption).
constexpr QSize clientSize{182, 170};
// Start-up refuses a larger capacity, and a table without room is no use.
constexpr std::int32_t minObjects = 1;

QLabel *makeLabel(QWidget *parent, const char *name, const QString &text, int x, int y)
{
    auto *label = new QLabel(text, parent);
    label->setObjectName(QLatin1String(name));
    label->move(x, y);
    label->adjustSize();
    return label;
}

QPushButton *makeButton(QWidget *parent, const char *name, const QString &text, int x)
{
    auto *button = new QPushButton(text, parent);
    button->setObjectName(QLatin1String(name));
    button->setGeometry(x, 136, 75, 25);
    return button;
}
} // namespace

TForm11::TForm11(prefStruct &prefs, std::int32_t capacity, const Feedback &feedback,
                 QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint),
      m_prefs(prefs), m_capacity(capacity), m_feedback(feedback)
{
    setObjectName(QStringLiteral("TForm11"));
    setWindowTitle(QStringLiteral("Preferences"));
    setModal(true);
    setFixedSize(clientSize);
    setFont(designFont());

    GroupBox1 = new QGroupBox(QStringLiteral("Max Number of Objects"), this);
    GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
    GroupBox1->setGeometry(8, 8, 161, 105);
    Label1 = makeLabel(GroupBox1, "Label1", QStringLiteral("Value:"), 24, 28);
    Edit1 = new QLineEdit(QStringLiteral("20"), GroupBox1);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setGeometry(64, 24, 57, 21);
    Label2 = makeLabel(GroupBox1, "Label2", QStringLiteral("Restart Paginette to changes"), 8, 64);
    Label3 = makeLabel(GroupBox1, "Label3", QStringLiteral("take effect"), 56, 80);

    Button2 = makeButton(this, "Button2", QStringLiteral("Cancel"), 8);
    Button1 = makeButton(this, "Button1", QStringLiteral("OK"), 96);
    Button1->setDefault(true);

    connect(Button1, &QPushButton::clicked, this, &TForm11::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &TForm11::Button2Click);
}

void TForm11::FormShow()
{
    // The capacity in force in this run, not the value last stored.
    Edit1->setText(QString::number(m_capacity));
}

void TForm11::Button1Click()
{
    // A text that is not a number is reported; the dialog then stays open.
    guarded([this] {
        const std::int32_t value = textToInt32(Edit1->text());
        if (value < minObjects || value > maxObjectCapacity) {
            m_feedback.tell(QStringLiteral("Max Number of Objects must be from %1 to %2")
                                .arg(minObjects)
                                .arg(maxObjectCapacity),
                            QStringLiteral("Preferences"));
            return;
        }
        m_prefs.maxObjects = value;
        m_prefs.maxObjectsCopy = value;
        writePreferences(m_prefs, preferencesPath(), m_feedback);
        accept();
    });
}

void TForm11::Button2Click()
{
    reject();
}

void TForm11::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (event->spontaneous())
        return;
    centerOnScreen(*this);
    FormShow();
}
