#pragma once

#include <QDialog>

class QLabel;

// The About box: the version over a picture, closed by a mouse press on it
// or by Escape, Enter or Space.
class AboutDialog : public QDialog
{
    Q_OBJECT

public:
    explicit AboutDialog(QWidget *parent = nullptr);

    QLabel *picture = nullptr;
    QLabel *versionLabel = nullptr;
    QLabel *systemsLabel = nullptr;

public Q_SLOTS:
    void dismiss();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
};
