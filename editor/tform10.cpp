#include "tform10.h"

TForm10::TForm10(QWidget *parent) : QDialog(parent) {}
