#pragma once

#include <QDialog>

class TForm11 : public QDialog
{
    Q_OBJECT

public:
    explicit TForm11(QWidget *parent = nullptr);
};
