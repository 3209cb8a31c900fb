#include "messagedialog.h"

#include "tform3.h"

#include <QLabel>
#include <QPointer>
#include <QPushButton>

namespace {
QPointer<TForm3> &sharedDialog()
{
    static QPointer<TForm3> dialog;
    return dialog;
}

int ask(TForm3 &dialog, const QString &caption, const QString &label, const QString &line1,
        const QString &line2, std::int16_t showCancel, std::int16_t showNo)
{
    // Every setting is made on each call, so nothing of an earlier question shows through.
    dialog.setWindowTitle(caption);
    dialog.Button1->setVisible(showCancel != 0);
    dialog.Button2->setVisible(showNo != 0);
    dialog.StaticText1->setText(label);
    dialog.StaticText2->setText(line1);
    dialog.StaticText3->setText(line2);
    dialog.StaticText1->adjustSize();
    dialog.StaticText2->adjustSize();
    dialog.StaticText3->adjustSize();
    dialog.focusFirstButton();
    return dialog.exec();
}
} // namespace

int showMessageDialog(const QString &caption, const QString &label, const QString &line1,
                      const QString &line2, std::int16_t showCancel, std::int16_t showNo)
{
    if (TForm3 *dialog = sharedDialog())
        return ask(*dialog, caption, label, line1, line2, showCancel, showNo);
    TForm3 transient;
    return ask(transient, caption, label, line1, line2, showCancel, showNo);
}

void setMessageDialog(TForm3 *dialog)
{
    sharedDialog() = dialog;
}
