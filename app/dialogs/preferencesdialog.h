#pragma once

#include "feedback.h"
#include "preferences.h"

#include <QDialog>

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTabWidget;

// The Preferences dialog, a page for each kind of setting: "Max Number of
// Objects", which takes effect at the next start, and the shop's shared
// print log, which the next print uses.
class PreferencesDialog : public QDialog
{
    Q_OBJECT

public:
    // Edits `prefs`; shows `capacity`, the one in force in this run.
    PreferencesDialog(PreferencesRecord &prefs, std::int32_t capacity, const Feedback &feedback,
                      QWidget *parent = nullptr);

    QTabWidget *pages = nullptr;
    QWidget *objectsPage = nullptr;
    QGroupBox *maxObjectsGroup = nullptr;
    QLabel *valueLabel = nullptr;
    QLineEdit *maxObjectsEdit = nullptr;
    QLabel *restartLabel = nullptr;
    QLabel *takeEffectLabel = nullptr;
    QWidget *printLogPage = nullptr;
    QLineEdit *sharedLogEdit = nullptr;  // a postgresql:// URI, or empty
    QPushButton *cancelButton = nullptr; // Cancel
    QPushButton *okButton = nullptr;     // OK

    // Shows the capacity in force and the shared log kept.
    void showCapacity();

public Q_SLOTS:
    void store();
    void cancel();

protected:
    void showEvent(QShowEvent *event) override;

private:
    PreferencesRecord &m_prefs;
    const std::int32_t m_capacity;
    Feedback m_feedback;
};
