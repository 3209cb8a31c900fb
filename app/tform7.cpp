#include "tform7.h"

TForm7::TForm7(QWidget *parent) : QDialog(parent)
{
}
