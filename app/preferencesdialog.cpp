#include "preferencesdialog.h"

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

PreferencesDialog::PreferencesDialog(PreferencesRecord &prefs, std::int32_t capacity,
                                     const Feedback &feedback, QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint),
      m_prefs(prefs), m_capacity(capacity), m_feedback(feedback)
{
    setObjectName(QStringLiteral("PreferencesDialog"));
    setWindowTitle(QStringLiteral("Preferences"));
    setModal(true);
    setFixedSize(clientSize);
    setFont(designFont());

    maxObjectsGroup = new QGroupBox(QStringLiteral("Max Number of Objects"), this);
    maxObjectsGroup->setObjectName(QStringLiteral("maxObjectsGroup"));
    maxObjectsGroup->setGeometry(8, 8, 161, 105);
    valueLabel = makeLabel(maxObjectsGroup, "valueLabel", QStringLiteral("Value:"), 24, 28);
    maxObjectsEdit = new QLineEdit(QStringLiteral("20"), maxObjectsGroup);
    maxObjectsEdit->setObjectName(QStringLiteral("maxObjectsEdit"));
    maxObjectsEdit->setGeometry(64, 24, 57, 21);
    restartLabel = makeLabel(maxObjectsGroup, "restartLabel",
                             QStringLiteral("Restart Paginette to changes"), 8, 64);
    takeEffectLabel =
        makeLabel(maxObjectsGroup, "takeEffectLabel", QStringLiteral("take effect"), 56, 80);

    cancelButton = makeButton(this, "cancelButton", QStringLiteral("Cancel"), 8);
    okButton = makeButton(this, "okButton", QStringLiteral("OK"), 96);
    okButton->setDefault(true);

    connect(okButton, &QPushButton::clicked, this, &PreferencesDialog::store);
    connect(cancelButton, &QPushButton::clicked, this, &PreferencesDialog::cancel);
}

void PreferencesDialog::showCapacity()
{
    // The capacity in force in this run, not the value last stored.
    maxObjectsEdit->setText(QString::number(m_capacity));
}

void PreferencesDialog::store()
{
    // A text that is not a number is reported; the dialog then stays open.
    guarded([this] {
        const std::int32_t value = textToInt32(maxObjectsEdit->text());
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

void PreferencesDialog::cancel()
{
    reject();
}

void PreferencesDialog::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (event->spontaneous())
        return;
    centerOnScreen(*this);
    showCapacity();
}
