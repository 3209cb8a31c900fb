#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

// The message dialog: a question with the answers OK (1), Cancel (2) and No (5).
// showMessageDialog fills and shows it.
class TForm3 : public QDialog
{
    Q_OBJECT

public:
    enum Answer
    {
        AnswerOk = 1,
        AnswerCancel = 2,
        AnswerNo = 5
    };

    explicit TForm3(QWidget *parent = nullptr);

    QPushButton *Button1 = nullptr; // Cancel
    QPushButton *BitBtn1 = nullptr; // OK
    QLabel *StaticText1 = nullptr;
    QLabel *StaticText2 = nullptr;
    QLabel *StaticText3 = nullptr;
    QPushButton *Button2 = nullptr; // No

    // Puts the keyboard focus on the first button shown, as a fresh dialog has it.
    void focusFirstButton();

public Q_SLOTS:
    void BitBtn1Click();
    void Button1Click();
    void Button2Click();
    // The close box answers Cancel.
    void reject() override;

protected:
    void showEvent(QShowEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
};
