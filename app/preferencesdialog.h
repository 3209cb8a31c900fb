#pragma once

#include "feedback.h"
#include "preferences.h"

#include <QDialog>

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

// The Preferences dialog: edits "Max Number of Objects", which takes effect
// at the next start.
class PreferencesDialog : public QDialog
{
    Q_OBJECT

public:
    // Edits `prefs`; shows `capacity`, the one in force in this run.
    PreferencesDialog(PreferencesRecord &prefs, std::int32_t capacity, const Feedback &feedback,
                      QWidget *parent = nullptr);

    QGroupBox *maxObjectsGroup = nullptr;
    QLabel *valueLabel = nullptr;
    QLineEdit *maxObjectsEdit = nullptr;
    QLabel *restartLabel = nullptr;
    QLabel *takeEffectLabel = nullptr;
    QPushButton *cancelButton = nullptr; // Cancel
    QPushButton *okButton = nullptr;     // OK

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
