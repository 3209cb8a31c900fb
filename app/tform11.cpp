#include "tform11.h"

TForm11::TForm11(QWidget *parent) : QDialog(parent)
{
}
