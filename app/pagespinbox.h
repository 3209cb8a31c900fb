#pragma once

#include <QSpinBox>

// The tool bar's Page box: 1 to 10000, but it shows "0" until its first
// change, since no value is given to it at creation. A step from that blank
// state lands on the box's range like any other out-of-range value.
class PageSpinBox : public QSpinBox
{
    Q_OBJECT

public:
    static constexpr int firstPage = 1;
    static constexpr int lastPage = 10000;

    explicit PageSpinBox(QWidget *parent = nullptr);

    // Leaves the blank state: the range becomes 1 to 10000.
    void settle();

    void stepBy(int steps) override;

protected:
    StepEnabled stepEnabled() const override;
};
