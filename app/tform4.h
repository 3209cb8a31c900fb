#pragma once

#include "calibration.h"
#include "feedback.h"

#include <QDialog>

#include <functional>

class QDoubleSpinBox;
class QLabel;
class QPushButton;

// The Printer Calibration dialog: the offsets and scales that move one
// printer's print onto the paper where the page puts it, kept per printer.
class TForm4 : public QDialog
{
    Q_OBJECT

public:
    TForm4(const CalibrationStore &store, const Feedback &feedback, QWidget *parent = nullptr);

    // Prints a test page with the values shown.
    void setTestPagePrinter(std::function<void(const Calibration &)> print);
    // Shows the stored calibration of `printer` for editing.
    void edit(const QString &printer);
    // The values as the boxes show them.
    Calibration values() const;

    QLabel *PrinterName = nullptr;
    QDoubleSpinBox *hOffset = nullptr;
    QDoubleSpinBox *vOffset = nullptr;
    QDoubleSpinBox *hScale = nullptr;
    QDoubleSpinBox *vScale = nullptr;
    QPushButton *TestPageBtn = nullptr;
    QPushButton *OKBtn = nullptr;
    QPushButton *CancelBtn = nullptr;

public Q_SLOTS:
    // Stores the values for the printer and closes; a store that cannot be
    // written is told of and the dialog stays.
    void OKBtnClick();
    void TestPageBtnClick();

private:
    const CalibrationStore &m_store;
    Feedback m_feedback;
    std::function<void(const Calibration &)> m_printTestPage;
    QString m_printer;
};
