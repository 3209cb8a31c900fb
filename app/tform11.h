#pragma once

#include "documentstate.h"
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
    // Edits `prefs`; shows the capacity of `doc`, the one in force.
    TForm11(prefStruct &prefs, const DocumentState &doc, QWidget *parent = nullptr);

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
    const DocumentState &m_doc;
};
