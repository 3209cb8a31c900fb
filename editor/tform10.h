#pragma once

#include "editorcontext.h"

#include <QDialog>

#include <array>
#include <cstdint>

class QCheckBox;
class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

// The modal Create Matrix dialog: reads the grid size, the distances and the
// numbering type, and makes the matrix from the current object.
class TForm10 : public QDialog
{
    Q_OBJECT

public:
    explicit TForm10(const EditorContext &context, QWidget *parent = nullptr);

    QLabel *StaticText1 = nullptr;
    QLineEdit *columns = nullptr;
    QLabel *StaticText2 = nullptr;
    QLineEdit *rows = nullptr;
    QLabel *StaticText3 = nullptr;
    QLineEdit *dx = nullptr;
    QLabel *StaticText4 = nullptr;
    QLineEdit *dy = nullptr;
    QCheckBox *create_link = nullptr;
    QFrame *Panel1 = nullptr;
    QRadioButton *u1 = nullptr;
    QLabel *Image1 = nullptr;
    QRadioButton *u2 = nullptr;
    QLabel *Image3 = nullptr;
    QRadioButton *u3 = nullptr;
    QLabel *Image2 = nullptr;
    QRadioButton *u4 = nullptr;
    QLabel *Image4 = nullptr;
    QRadioButton *u5 = nullptr;
    QLabel *Image5 = nullptr;
    QLabel *StaticText5 = nullptr;  // the Pages value that Type 5 stacks by
    QPushButton *Button2 = nullptr; // Cancel
    QPushButton *Button1 = nullptr; // OK

    // Runs each time the dialog is shown.
    void FormShow();

public Q_SLOTS:
    void create_linkClick();
    void Button1Click();
    void Button2Click();

protected:
    void showEvent(QShowEvent *event) override;

private:
    // u1 to u5, in the order of their types.
    std::array<QRadioButton *, 5> typeButtons() const;
    // -1 without a link, else the type of the last checked button.
    std::int32_t chosenType() const;

    EditorContext m_context;
};
