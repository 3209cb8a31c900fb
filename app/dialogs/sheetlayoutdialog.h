#pragma once

#include "document.h"
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
// sheet; and whether the run prints on both sides, and about which edge
// the paper turns.
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
    void showDuplex(Duplex duplex);
    Duplex chosenDuplex() const;

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
    QComboBox *twoSidedBox = nullptr;
    SheetPreview *sheetPreview = nullptr;
    QDialogButtonBox *buttons = nullptr;

public Q_SLOTS:
    void accept() override;

protected:
    void showEvent(QShowEvent *event) override;

private:
    QWidget *makeCustomFields();
    // Lists the products of the database at `indices`, in that order.
    void listProducts(const QList<int> &indices);
    // The index of the product chosen in the list; -1 for none.
    int chosenProduct() const;
    // Makes the product at `index` the list's choice, when it is listed.
    void chooseProduct(int index);
    // Lists the products that hold every word typed, those whose number was
    // typed whole first.
    void search(const QString &text);
    void fillCustomFields(const SheetLayout &layout);
    SheetLayout customLayout() const;
    void updateChoice();

    const SheetDatabase *m_database;
    QList<int> m_listed; // the product each row of the list shows
    QButtonGroup *m_kinds = nullptr;
};
