#pragma once

#include <QDialog>

class QLabel;

// The About box: the version over a picture, closed by a mouse press on it
// or by Escape, Enter or Space.
class TForm7 : public QDialog
{
    Q_OBJECT

public:
    explicit TForm7(QWidget *parent = nullptr);

    QLabel *Image1 = nullptr;
    QLabel *StaticText1 = nullptr;
    QLabel *StaticText7 = nullptr;

public Q_SLOTS:
    void Image1MouseDown();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
};
