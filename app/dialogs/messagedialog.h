#pragma once

#include <QDialog>
#include <QString>

class QLabel;
class QPushButton;

// The message dialog: a question with the answers OK (1), Cancel (2) and
// No (5), Cancel and No shown on request.
class MessageDialog : public QDialog
{
    Q_OBJECT

public:
    enum Answer
    {
        AnswerOk = 1,
        AnswerCancel = 2,
        AnswerNo = 5
    };

    explicit MessageDialog(QWidget *parent = nullptr);

    // Shows the question and returns the answer; every setting is made on
    // each call, so nothing of an earlier question shows through.
    int ask(const QString &caption, const QString &label, const QString &line1,
            const QString &line2, bool showCancel, bool showNo);

    QPushButton *cancelButton = nullptr;
    QPushButton *okButton = nullptr;
    QLabel *label = nullptr;
    QLabel *firstLine = nullptr;
    QLabel *secondLine = nullptr;
    QPushButton *noButton = nullptr;

public Q_SLOTS:
    void answerOk();
    void answerCancel();
    void answerNo();
    // The close box answers Cancel.
    void reject() override;

protected:
    void showEvent(QShowEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    // Puts the keyboard focus on OK, as a fresh dialog has it.
    void focusOk();
};

// Asks a question in a message dialog over `parent`: 1 for OK, 2 for Cancel
// (also the close box), 5 for No.
int showMessageDialog(QWidget *parent, const QString &caption, const QString &label,
                      const QString &line1, const QString &line2, bool showCancel, bool showNo);
