#include "dialogs/preferencesdialog.h"

#include "dialogstyle.h"

#include "document.h"
#include "guarded.h"
#include "numberconversion.h"
#include "sharedlog/sharedlogsetting.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {
// The page of the capacity: the group and its labels where they always stood.
constexpr QSize objectsPageSize{177, 121};
// Start-up refuses a larger capacity, and a table without room is no use.
constexpr std::int32_t minObjects = 1;

const QString caption = QStringLiteral("Preferences");

QLabel *makeLabel(QWidget *parent, const char *name, const QString &text, int x, int y)
{
    auto *label = new QLabel(text, parent);
    label->setObjectName(QLatin1String(name));
    label->move(x, y);
    label->adjustSize();
    return label;
}

QPushButton *makeButton(QWidget *parent, const char *name, const QString &text)
{
    auto *button = new QPushButton(text, parent);
    button->setObjectName(QLatin1String(name));
    button->setFixedSize(75, 25);
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
    setWindowTitle(caption);
    setModal(true);
    setFont(designFont());

    pages = new QTabWidget(this);
    pages->setObjectName(QStringLiteral("pages"));

    objectsPage = new QWidget;
    objectsPage->setObjectName(QStringLiteral("objectsPage"));
    objectsPage->setMinimumSize(objectsPageSize);
    maxObjectsGroup = new QGroupBox(QStringLiteral("Max Number of Objects"), objectsPage);
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
    pages->addTab(objectsPage, QStringLiteral("&Objects"));

    printLogPage = new QWidget;
    printLogPage->setObjectName(QStringLiteral("printLogPage"));
    sharedLogEdit = new QLineEdit(printLogPage);
    sharedLogEdit->setObjectName(QStringLiteral("sharedLogEdit"));
    sharedLogEdit->setMinimumWidth(320);
    sharedLogEdit->setPlaceholderText(QStringLiteral("postgresql://USER@HOST/DATABASE"));
    auto *sharedLogLabel = new QLabel(QStringLiteral("&Shared print log:"), printLogPage);
    sharedLogLabel->setBuddy(sharedLogEdit);
    auto *sharedLogNote =
        new QLabel(QStringLiteral("A PostgreSQL server that every machine of the shop logs "
                                  "its runs in, so that none prints a number another has "
                                  "printed. Empty: this computer's log alone. The password "
                                  "comes from ~/.pgpass or PGPASSWORD, never from here."),
                   printLogPage);
    sharedLogNote->setWordWrap(true);
    auto *printLogLayout = new QVBoxLayout(printLogPage);
    printLogLayout->addWidget(sharedLogLabel);
    printLogLayout->addWidget(sharedLogEdit);
    printLogLayout->addWidget(sharedLogNote);
    printLogLayout->addStretch();
    pages->addTab(printLogPage, QStringLiteral("&Print Log"));

    cancelButton = makeButton(this, "cancelButton", QStringLiteral("Cancel"));
    okButton = makeButton(this, "okButton", QStringLiteral("OK"));
    okButton->setDefault(true);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(cancelButton);
    buttons->addWidget(okButton);
    buttons->addStretch();
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(pages);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(okButton, &QPushButton::clicked, this, &PreferencesDialog::store);
    connect(cancelButton, &QPushButton::clicked, this, &PreferencesDialog::cancel);
}

void PreferencesDialog::showCapacity()
{
    // The capacity in force in this run, not the value last stored.
    maxObjectsEdit->setText(QString::number(m_capacity));
    sharedLogEdit->setText(SharedLogSetting().uri());
}

void PreferencesDialog::store()
{
    // A text that is not a number is reported; the dialog then stays open.
    guarded([this] {
        const std::int32_t value = textToInt32(maxObjectsEdit->text());
        if (value < minObjects || value > maxObjectCapacity) {
            pages->setCurrentWidget(objectsPage);
            m_feedback.tell(QStringLiteral("Max Number of Objects must be from %1 to %2")
                                .arg(minObjects)
                                .arg(maxObjectCapacity),
                            caption);
            return;
        }
        const QString sharedLog = sharedLogEdit->text().trimmed();
        const QString refusal = SharedLogSetting::refusal(sharedLog);
        if (!refusal.isEmpty()) {
            pages->setCurrentWidget(printLogPage);
            sharedLogEdit->setFocus();
            m_feedback.tell(refusal, caption);
            return;
        }
        m_prefs.maxObjects = value;
        m_prefs.maxObjectsCopy = value;
        writePreferences(m_prefs, preferencesPath(), m_feedback);
        const QString unkept = SharedLogSetting().store(sharedLog);
        if (!unkept.isEmpty())
            m_feedback.tell(unkept, caption);
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
