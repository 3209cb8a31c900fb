#pragma once

#include "continuenumbering.h"

#include <QDialog>

class QLabel;
class QPushButton;
class QTableWidget;

// The Continue Numbering dialog: the first values the next run will print
// once the numbers move on, shown before anything changes. OK moves them.
class ContinueNumberingDialog : public QDialog
{
    Q_OBJECT

public:
    explicit ContinueNumberingDialog(QWidget *parent = nullptr);

    // Lists every number with its first value after a run of `pages` pages.
    void showValues(const QList<NextFirstValue> &values, std::int32_t pages);
    // Lists every number with its first value past what every machine
    // printed of it, as the shared print log `log` tells.
    void showValuesPast(const QList<NextFirstValue> &values, const QString &log);

    QLabel *questionLabel = nullptr;
    QTableWidget *valuesTable = nullptr;
    QPushButton *okButton = nullptr;
    QPushButton *cancelButton = nullptr;

private:
    void listValues(const QList<NextFirstValue> &values);
};
