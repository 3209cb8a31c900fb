#include "creatematrixdialog.h"

#include "matrixorderglyphs.h"

#include "dialogstyle.h"
#include "guarded.h"
#include "matrix.h"
#include "numberconversion.h"

#include <QCheckBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>
#include <QShowEvent>

#include <iterator>

namespace {
// Outer 273 x 307 less the dialog frame (3-pixel borders, 19-pixel caption);
// the type panel has a third row, for Type 5, that pushes the buttons down.
constexpr QSize clientSize{267, 282};
constexpr int panelGrowth = 48;

template <typename Control>
Control *place(Control *control, const char *name, int x, int y, int width, int height)
{
    control->setObjectName(QLatin1String(name));
    control->setGeometry(x, y, width, height);
    return control;
}

QLabel *makePicture(QWidget *parent, const char *name, std::int32_t type, int x, int y)
{
    auto *picture = place(new QLabel(parent), name, x, y, 32, 32);
    picture->setPixmap(QPixmap::fromImage(matrixOrderGlyph(type)));
    return picture;
}

QRadioButton *makeType(QWidget *parent, const char *name, const QString &text, int x, int y)
{
    auto *button = place(new QRadioButton(text, parent), name, x, y, 57, 17);
    button->setEnabled(false);
    return button;
}
} // namespace

CreateMatrixDialog::CreateMatrixDialog(const EditorContext &context, QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint),
      m_context(context)
{
    setObjectName(QStringLiteral("CreateMatrixDialog"));
    setWindowTitle(QStringLiteral("Create Matrix"));
    setModal(true);
    setFixedSize(clientSize);
    setFont(designFont());

    columnsLabel =
        place(new QLabel(QStringLiteral("Columns:"), this), "columnsLabel", 8, 10, 47, 17);
    columnsEdit = place(new QLineEdit(QStringLiteral("2"), this), "columnsEdit", 56, 8, 41, 21);
    rowsLabel = place(new QLabel(QStringLiteral("Rows:"), this), "rowsLabel", 8, 34, 34, 17);
    rowsEdit = place(new QLineEdit(QStringLiteral("2"), this), "rowsEdit", 56, 32, 41, 21);
    dxLabel = place(new QLabel(QStringLiteral("Between columns (dX):"), this), "dxLabel", 104, 10,
                    113, 17);
    dxEdit = place(new QLineEdit(QStringLiteral("2"), this), "dxEdit", 222, 8, 37, 21);
    dyLabel =
        place(new QLabel(QStringLiteral("Between rows (dY):"), this), "dyLabel", 104, 34, 96, 17);
    dyEdit = place(new QLineEdit(QStringLiteral("2"), this), "dyEdit", 222, 32, 37, 21);
    createLinkCheckBox = place(new QCheckBox(QStringLiteral("Create Link"), this),
                               "createLinkCheckBox", 8, 64, 97, 17);

    typePanel = place(new QFrame(this), "typePanel", 8, 88, 249, 105 + panelGrowth);
    typePanel->setFrameStyle(QFrame::Panel | QFrame::Raised);
    type1Button = makeType(typePanel, "type1Button", QStringLiteral("Type 1"), 8, 8);
    type1Glyph = makePicture(typePanel, "type1Glyph", 1, 72, 8);
    type2Button = makeType(typePanel, "type2Button", QStringLiteral("Type 2"), 136, 8);
    type2Glyph = makePicture(typePanel, "type2Glyph", 2, 200, 8);
    type3Button = makeType(typePanel, "type3Button", QStringLiteral("Type 3"), 8, 56);
    type3Glyph = makePicture(typePanel, "type3Glyph", 3, 72, 56);
    type4Button = makeType(typePanel, "type4Button", QStringLiteral("Type 4"), 136, 56);
    type4Glyph = makePicture(typePanel, "type4Glyph", 4, 200, 56);
    type5Button = makeType(typePanel, "type5Button", QStringLiteral("Type 5"), 8, 104);
    type5Glyph = makePicture(typePanel, "type5Glyph", 5, 72, 104);
    pagesLabel = place(new QLabel(typePanel), "pagesLabel", 136, 104, 105, 17);

    cancelButton = place(new QPushButton(QStringLiteral("Cancel"), this), "cancelButton", 32,
                         200 + panelGrowth, 75, 25);
    okButton = place(new QPushButton(QStringLiteral("OK"), this), "okButton", 160,
                     200 + panelGrowth, 75, 25);
    okButton->setDefault(true);

    QWidget *const tabOrder[] = {columnsEdit, rowsEdit,    createLinkCheckBox, type1Button,
                                 type2Button, type3Button, type4Button,        type5Button,
                                 dxEdit,      dyEdit,      okButton,           cancelButton};
    for (std::size_t k = 1; k < std::size(tabOrder); ++k)
        setTabOrder(tabOrder[k - 1], tabOrder[k]);

    connect(createLinkCheckBox, &QCheckBox::clicked, this, &CreateMatrixDialog::linkChoiceClicked);
    connect(okButton, &QPushButton::clicked, this, &CreateMatrixDialog::createMatrix);
    connect(cancelButton, &QPushButton::clicked, this, &CreateMatrixDialog::cancel);
}

void CreateMatrixDialog::resetLinkChoice()
{
    createLinkCheckBox->setChecked(false);
    for (QRadioButton *button : typeButtons())
        button->setEnabled(false);
    pagesLabel->setText(QStringLiteral("Pages: %1").arg(m_context.editor.document().pagesToPrint));
}

void CreateMatrixDialog::linkChoiceClicked()
{
    const bool linking = createLinkCheckBox->isChecked();
    for (QRadioButton *button : typeButtons())
        button->setEnabled(linking);
    if (linking)
        type1Button->setChecked(true);
}

void CreateMatrixDialog::createMatrix()
{
    // A text that is not a number is reported; the dialog then stays open.
    guarded([this] {
        MatrixParameters parameters;
        parameters.matrixRows = textToInt32(rowsEdit->text());
        parameters.matrixColumns = textToInt32(columnsEdit->text());
        parameters.matrixDX = textToInt32(dxEdit->text());
        parameters.matrixDY = textToInt32(dyEdit->text());
        parameters.matrixType = chosenType();
        parameters.pagesToPrint = m_context.editor.document().pagesToPrint;
        const MatrixResult result =
            m_context.editor.edit(QStringLiteral("Create Matrix"), [&parameters](Document &doc) {
                return ::createMatrix(doc, parameters);
            });
        // Nothing was made; the dialog stays open for a smaller grid.
        if (!result.made) {
            m_context.feedback.tell(
                noRoomMessage(QStringLiteral("The matrix"), result.needed, result.room),
                QStringLiteral("Create Matrix"));
            return;
        }
        accept();
    });
}

void CreateMatrixDialog::cancel()
{
    reject();
}

void CreateMatrixDialog::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (event->spontaneous())
        return;
    centerOnScreen(*this);
    resetLinkChoice();
}

std::array<QRadioButton *, 5> CreateMatrixDialog::typeButtons() const
{
    return {type1Button, type2Button, type3Button, type4Button, type5Button};
}

std::int32_t CreateMatrixDialog::chosenType() const
{
    if (!createLinkCheckBox->isChecked())
        return -1;
    std::int32_t type = -1;
    const auto buttons = typeButtons();
    for (std::size_t k = 0; k < buttons.size(); ++k) {
        if (buttons[k]->isChecked())
            type = static_cast<std::int32_t>(k) + 1;
    }
    return type;
}
