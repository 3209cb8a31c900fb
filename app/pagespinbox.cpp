#include "pagespinbox.h"

#include <QSignalBlocker>

#include <algorithm>

PageSpinBox::PageSpinBox(QWidget *parent) : QSpinBox(parent)
{
    setRange(0, lastPage);
    setValue(0);
}

void PageSpinBox::settle()
{
    if (minimum() == firstPage)
        return;
    const QSignalBlocker blocker(this);
    setMinimum(firstPage);
}

void PageSpinBox::stepBy(int steps)
{
    if (minimum() == firstPage) {
        QSpinBox::stepBy(steps);
        return;
    }
    // From the blank 0 a step goes to 0 + steps, brought into 1 to 10000.
    setValue(std::clamp(steps, firstPage, lastPage));
    settle();
    selectAll();
}

QAbstractSpinBox::StepEnabled PageSpinBox::stepEnabled() const
{
    if (minimum() != firstPage)
        return StepUpEnabled | StepDownEnabled;
    return QSpinBox::stepEnabled();
}
