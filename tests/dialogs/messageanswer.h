#pragma once

#include "modalscript.h"
#include "tform3.h"

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

inline void answerDialog(TForm3 *dialog, Answer how)
{
    switch (how) {
    case Answer::ClickOk:
        QTest::mouseClick(dialog->BitBtn1, Qt::LeftButton);
        break;
    case Answer::ClickCancel:
        QTest::mouseClick(dialog->Button1, Qt::LeftButton);
        break;
    case Answer::ClickNo:
        QTest::mouseClick(dialog->Button2, Qt::LeftButton);
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
    // The first line's text is as wide as what it shows.
    bool line1Fits = false;
};

inline ShownDialog shownDialog(const TForm3 *dialog)
{
    ShownDialog shown;
    shown.caption = dialog->windowTitle();
    shown.label = dialog->StaticText1->text();
    shown.line1 = dialog->StaticText2->text();
    shown.line2 = dialog->StaticText3->text();
    shown.okShown = dialog->BitBtn1->isVisible();
    shown.cancelShown = dialog->Button1->isVisible();
    shown.noShown = dialog->Button2->isVisible();
    shown.focused = dialog->focusWidget();
    shown.line1Fits = dialog->StaticText2->width() >=
                      dialog->StaticText2->fontMetrics().horizontalAdvance(shown.line1);
    return shown;
}

// A script that answers one message dialog `how`, noting what it showed in `shown`.
inline void expectMessageDialog(ModalScript &script, Answer how, ShownDialog &shown)
{
    script.expect("TForm3", [how, &shown](QWidget *widget) {
        auto *dialog = qobject_cast<TForm3 *>(widget);
        shown = shownDialog(dialog);
        answerDialog(dialog, how);
    });
}
