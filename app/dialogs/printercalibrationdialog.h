#pragma once

#include "feedback.h"
#include "run/calibration.h"

#include <QDialog>

#include <array>
#include <functional>

class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QPushButton;

// The Printer Calibration dialog: the offsets, scales and rotation that move
// one printer's print onto the paper where the page puts it, kept per
// printer and per side of the paper.
class PrinterCalibrationDialog : public QDialog
{
    Q_OBJECT

public:
    PrinterCalibrationDialog(const CalibrationStore &store, const Feedback &feedback,
                             QWidget *parent = nullptr);

    // Both print with the values of the front and of the back as shown:
    // the test page, and the two-sided registration test.
    using SidesPrinter = std::function<void(const Calibration &front, const Calibration &back)>;
    void setTestPagePrinter(SidesPrinter print);
    void setTwoSidedTestPrinter(SidesPrinter print);
    // Shows the stored calibrations of `printer` for editing, the front's first.
    void edit(const QString &printer);
    // The values of the side shown, as the boxes show them.
    Calibration values() const;
    // The values of `side`, as last shown.
    Calibration valuesOf(Side side) const;

    QLabel *printerLabel = nullptr;
    QComboBox *sideBox = nullptr;
    QDoubleSpinBox *horizontalOffsetSpinBox = nullptr;
    QDoubleSpinBox *verticalOffsetSpinBox = nullptr;
    QDoubleSpinBox *horizontalScaleSpinBox = nullptr;
    QDoubleSpinBox *verticalScaleSpinBox = nullptr;
    QDoubleSpinBox *rotationSpinBox = nullptr;
    QPushButton *testPageButton = nullptr;
    QPushButton *twoSidedTestButton = nullptr;
    QPushButton *okButton = nullptr;
    QPushButton *cancelButton = nullptr;

public Q_SLOTS:
    // Stores the values for the printer and closes; a store that cannot be
    // written is told of and the dialog stays.
    void store();
    void printTestPage();
    void printTwoSidedTest();

private:
    const CalibrationStore &m_store;
    Feedback m_feedback;
    // Keeps the boxes' values for the side shown and shows those of `side`.
    void showSide(Side side);
    void showValues(const Calibration &calibration);

    SidesPrinter m_printTestPage;
    SidesPrinter m_printTwoSidedTest;
    QString m_printer;
    std::array<Calibration, 2> m_sides; // front, back
    Side m_shown = Side::Front;
};
