#pragma once

#include "sheetdatabase.h"

#include <QDialog>

#include <optional>

class QButtonGroup;
class QComboBox;
class QDialogButtonBox;
class QDoubleSpinBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QRadioButton;
class QSpinBox;
class SheetPreview;

// File > Sheet Layout: plain paper, a product of the sheet database found
// by make and number or by words as they are typed, or a sheet the user
// measured; the order in which a run fills the labels; a drawing of the
// sheet.
class SheetLayoutDialog : public QDialog
{
    Q_OBJECT

public:
    // `database` is the products to offer; none, or an empty one, leaves the
    // custom sheet and says how to install the database.
    SheetLayoutDialog(const SheetDatabase *database, QWidget *parent = nullptr);

    // Shows `current` (none for plain paper) as the choice.
    void showLayout(const std::optional<SheetLayout> &current);
    // The choice: none for plain paper.
    std::optional<SheetLayout> chosenLayout() const;

    QRadioButton *plainPaperButton = nullptr;
    QRadioButton *productButton = nullptr;
    QRadioButton *customButton = nullptr;
    QLineEdit *searchEdit = nullptr;
    QListWidget *productList = nullptr;
    QLabel *missingDatabaseLabel = nullptr;
    QDoubleSpinBox *paperWidthBox = nullptr;
    QDoubleSpinBox *paperHeightBox = nullptr;
    QDoubleSpinBox *labelWidthBox = nullptr;
    QDoubleSpinBox *labelHeightBox = nullptr;
    QDoubleSpinBox *cornerBox = nullptr;
    QSpinBox *columnsBox = nullptr;
    QSpinBox *rowsBox = nullptr;
    QDoubleSpinBox *leftBox = nullptr;
    QDoubleSpinBox *topBox = nullptr;
    QDoubleSpinBox *acrossBox = nullptr;
    QDoubleSpinBox *downBox = nullptr;
    QComboBox *orderBox = nullptr;
    SheetPreview *sheetPreview = nullptr;
    QDialogButtonBox *buttons = nullptr;

public Q_SLOTS:
    void accept() override;

private:
    QWidget *makeCustomFields();
    // Hides the products that do not hold every word typed.
    void search(const QString &text);
    void fillCustomFields(const SheetLayout &layout);
    SheetLayout customLayout() const;
    void updateChoice();

    const SheetDatabase *m_database;
    QButtonGroup *m_kinds = nullptr;
};
