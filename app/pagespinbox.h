#pragma once

#include <QSpinBox>

// The tool bar's Page box: the page shown, 1 to 10000.
class PageSpinBox : public QSpinBox
{
    Q_OBJECT

public:
    static constexpr int firstPage = 1;
    static constexpr int lastPage = 10000;

    explicit PageSpinBox(QWidget *parent = nullptr);
};
