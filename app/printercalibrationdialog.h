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
class PrinterCalibrationDialog : public QDialog
{
    Q_OBJECT

public:
    PrinterCalibrationDialog(const CalibrationStore &store, const Feedback &feedback,
                             QWidget *parent = nullptr);

    // Prints a test page with the values shown.
    void setTestPagePrinter(std::function<void(const Calibration &)> print);
    // Shows the stored calibration of `printer` for editing.
    void edit(const QString &printer);
    // The values as the boxes show them.
    Calibration values() const;

    QLabel *printerLabel = nullptr;
    QDoubleSpinBox *horizontalOffsetSpinBox = nullptr;
    QDoubleSpinBox *verticalOffsetSpinBox = nullptr;
    QDoubleSpinBox *horizontalScaleSpinBox = nullptr;
    QDoubleSpinBox *verticalScaleSpinBox = nullptr;
    QPushButton *testPageButton = nullptr;
    QPushButton *okButton = nullptr;
    QPushButton *cancelButton = nullptr;

public Q_SLOTS:
    // Stores the values for the printer and closes; a store that cannot be
    // written is told of and the dialog stays.
    void store();
    void printTestPage();

private:
    const CalibrationStore &m_store;
    Feedback m_feedback;
    std::function<void(const Calibration &)> m_printTestPage;
    QString m_printer;
};
