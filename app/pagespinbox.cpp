#include "pagespinbox.h"

PageSpinBox::PageSpinBox(QWidget *parent) : QSpinBox(parent)
{
    setRange(firstPage, lastPage);
}
