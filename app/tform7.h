#pragma once

#include <QDialog>

class TForm7 : public QDialog
{
    Q_OBJECT

public:
    explicit TForm7(QWidget *parent = nullptr);
};
