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
class TForm11 : public QDialog
{
    Q_OBJECT

public:
    // Edits `prefs`; shows `capacity`, the one in force in this run.
    TForm11(prefStruct &prefs, std::int32_t capacity, const Feedback &feedback,
            QWidget *parent = nullptr);

    QGroupBox *GroupBox1 = nullptr;
    QLabel *Label1 = nullptr;
    QLineEdit *Edit1 = nullptr;
    QLabel *Label2 = nullptr;
    QLabel *Label3 = nullptr;
    QPushButton *Button2 = nullptr; // Cancel
    QPushButton *Button1 = nullptr; // OK

    void FormShow();

public Q_SLOTS:
    void Button1Click();
    void Button2Click();

protected:
    void showEvent(QShowEvent *event) override;

private:
    prefStruct &m_prefs;
    const std::int32_t m_capacity;
    Feedback m_feedback;
};
