#include "tform2.h"

TForm2::TForm2(QWidget *parent) : QWidget(parent)
{
}
