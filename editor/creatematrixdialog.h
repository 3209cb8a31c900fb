#pragma once

#include "editorcontext.h"

#include <QDialog>

#include <array>
#include <cstdint>

class QCheckBox;
class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

// The modal Create Matrix dialog: reads the grid size, the distances and the
// numbering type, and makes the matrix from the current object.
class CreateMatrixDialog : public QDialog
{
    Q_OBJECT

public:
    explicit CreateMatrixDialog(const EditorContext &context, QWidget *parent = nullptr);

    QLabel *columnsLabel = nullptr;
    QLineEdit *columnsEdit = nullptr;
    QLabel *rowsLabel = nullptr;
    QLineEdit *rowsEdit = nullptr;
    QLabel *dxLabel = nullptr;
    QLineEdit *dxEdit = nullptr;
    QLabel *dyLabel = nullptr;
    QLineEdit *dyEdit = nullptr;
    QCheckBox *createLinkCheckBox = nullptr;
    QFrame *typePanel = nullptr;
    QRadioButton *type1Button = nullptr;
    QLabel *type1Glyph = nullptr;
    QRadioButton *type2Button = nullptr;
    QLabel *type2Glyph = nullptr;
    QRadioButton *type3Button = nullptr;
    QLabel *type3Glyph = nullptr;
    QRadioButton *type4Button = nullptr;
    QLabel *type4Glyph = nullptr;
    QRadioButton *type5Button = nullptr;
    QLabel *type5Glyph = nullptr;
    QLabel *pagesLabel = nullptr;        // the Pages value that Type 5 stacks by
    QPushButton *cancelButton = nullptr; // Cancel
    QPushButton *okButton = nullptr;     // OK

    // Runs each time the dialog is shown.
    void resetLinkChoice();

public Q_SLOTS:
    void linkChoiceClicked();
    void createMatrix();
    void cancel();

protected:
    void showEvent(QShowEvent *event) override;

private:
    // type1Button to type5Button, in the order of their types.
    std::array<QRadioButton *, 5> typeButtons() const;
    // -1 without a link, else the type of the last checked button.
    std::int32_t chosenType() const;

    EditorContext m_context;
};
