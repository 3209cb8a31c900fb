#pragma once

#include "dialogs/messagedialog.h"
#include "modalscript.h"

#include <QLabel>
#include <QPushButton>

// The ways a user answers the message dialog.
enum class Answer
{
    ClickOk,
    ClickCancel,
    ClickNo,
    Enter,
    Escape,
    CloseBox
};
Q_DECLARE_METATYPE(Answer)

inline void answerDialog(MessageDialog *dialog, Answer how)
{
    switch (how) {
    case Answer::ClickOk:
        QTest::mouseClick(dialog->okButton, Qt::LeftButton);
        break;
    case Answer::ClickCancel:
        QTest::mouseClick(dialog->cancelButton, Qt::LeftButton);
        break;
    case Answer::ClickNo:
        QTest::mouseClick(dialog->noButton, Qt::LeftButton);
        break;
    case Answer::Enter:
        typeKey(dialog, Qt::Key_Return);
        break;
    case Answer::Escape:
        typeKey(dialog, Qt::Key_Escape);
        break;
    case Answer::CloseBox:
        dialog->close();
        break;
    }
}

// What the dialog showed when it came.
struct ShownDialog
{
    QString caption;
    QString label;
    QString line1;
    QString line2;
    bool okShown = false;
    bool cancelShown = false;
    bool noShown = false;
    QWidget *focused = nullptr;
    bool okFocused = false;
    // The first line's text is as wide as what it shows.
    bool line1Fits = false;
};

inline ShownDialog shownDialog(const MessageDialog *dialog)
{
    ShownDialog shown;
    shown.caption = dialog->windowTitle();
    shown.label = dialog->label->text();
    shown.line1 = dialog->firstLine->text();
    shown.line2 = dialog->secondLine->text();
    shown.okShown = dialog->okButton->isVisible();
    shown.cancelShown = dialog->cancelButton->isVisible();
    shown.noShown = dialog->noButton->isVisible();
    shown.focused = dialog->focusWidget();
    shown.okFocused = shown.focused == dialog->okButton;
    shown.line1Fits = dialog->firstLine->width() >=
                      dialog->firstLine->fontMetrics().horizontalAdvance(shown.line1);
    return shown;
}

// A script that answers one message dialog `how`, noting what it showed in `shown`.
inline void expectMessageDialog(ModalScript &script, Answer how, ShownDialog &shown)
{
    script.expect("MessageDialog", [how, &shown](QWidget *widget) {
        auto *dialog = qobject_cast<MessageDialog *>(widget);
        shown = shownDialog(dialog);
        answerDialog(dialog, how);
    });
}
