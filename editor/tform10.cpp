#include "tform10.h"

#include "matrixpictures.h"

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
    picture->setPixmap(QPixmap::fromImage(matrixPicture(type)));
    return picture;
}

QRadioButton *makeType(QWidget *parent, const char *name, const QString &text, int x, int y)
{
    auto *button = place(new QRadioButton(text, parent), name, x, y, 57, 17);
    button->setEnabled(false);
    return button;
}
} // namespace

TForm10::TForm10(const EditorContext &context, QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint),
      m_context(context)
{
    setObjectName(QStringLiteral("TForm10"));
    setWindowTitle(QStringLiteral("Create Matrix"));
    setModal(true);
    setFixedSize(clientSize);
    setFont(designFont());

    StaticText1 = place(new QLabel(QStringLiteral("Columns:"), this), "StaticText1", 8, 10, 47, 17);
    columns = place(new QLineEdit(QStringLiteral("2"), this), "columns", 56, 8, 41, 21);
    StaticText2 = place(new QLabel(QStringLiteral("Rows:"), this), "StaticText2", 8, 34, 34, 17);
    rows = place(new QLineEdit(QStringLiteral("2"), this), "rows", 56, 32, 41, 21);
    StaticText3 = place(new QLabel(QStringLiteral("Between columns (dX):"), this), "StaticText3",
                        104, 10, 113, 17);
    dx = place(new QLineEdit(QStringLiteral("2"), this), "dx", 222, 8, 37, 21);
    StaticText4 = place(new QLabel(QStringLiteral("Between rows (dY):"), this), "StaticText4", 104,
                        34, 96, 17);
    dy = place(new QLineEdit(QStringLiteral("2"), this), "dy", 222, 32, 37, 21);
    create_link =
        place(new QCheckBox(QStringLiteral("Create Link"), this), "create_link", 8, 64, 97, 17);

    Panel1 = place(new QFrame(this), "Panel1", 8, 88, 249, 105 + panelGrowth);
    Panel1->setFrameStyle(QFrame::Panel | QFrame::Raised);
    u1 = makeType(Panel1, "u1", QStringLiteral("Type 1"), 8, 8);
    Image1 = makePicture(Panel1, "Image1", 1, 72, 8);
    u2 = makeType(Panel1, "u2", QStringLiteral("Type 2"), 136, 8);
    Image3 = makePicture(Panel1, "Image3", 2, 200, 8);
    u3 = makeType(Panel1, "u3", QStringLiteral("Type 3"), 8, 56);
    Image2 = makePicture(Panel1, "Image2", 3, 72, 56);
    u4 = makeType(Panel1, "u4", QStringLiteral("Type 4"), 136, 56);
    Image4 = makePicture(Panel1, "Image4", 4, 200, 56);
    u5 = makeType(Panel1, "u5", QStringLiteral("Type 5"), 8, 104);
    Image5 = makePicture(Panel1, "Image5", 5, 72, 104);
    StaticText5 = place(new QLabel(Panel1), "StaticText5", 136, 104, 105, 17);

    Button2 = place(new QPushButton(QStringLiteral("Cancel"), this), "Button2", 32,
                    200 + panelGrowth, 75, 25);
    Button1 = place(new QPushButton(QStringLiteral("OK"), this), "Button1", 160, 200 + panelGrowth,
                    75, 25);
    Button1->setDefault(true);

    QWidget *const tabOrder[] = {columns, rows, create_link, u1, u2,      u3,
                                 u4,      u5,   dx,          dy, Button1, Button2};
    for (std::size_t k = 1; k < std::size(tabOrder); ++k)
        setTabOrder(tabOrder[k - 1], tabOrder[k]);

    connect(create_link, &QCheckBox::clicked, this, &TForm10::create_linkClick);
    connect(Button1, &QPushButton::clicked, this, &TForm10::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &TForm10::Button2Click);
}

void TForm10::FormShow()
{
    create_link->setChecked(false);
    for (QRadioButton *button : typeButtons())
        button->setEnabled(false);
    StaticText5->setText(QStringLiteral("Pages: %1").arg(m_context.editor.document().pagesToPrint));
}

void TForm10::create_linkClick()
{
    const bool linking = create_link->isChecked();
    for (QRadioButton *button : typeButtons())
        button->setEnabled(linking);
    if (linking)
        u1->setChecked(true);
}

void TForm10::Button1Click()
{
    // A text that is not a number is reported; the dialog then stays open.
    guarded([this] {
        MatrixParameters parameters;
        parameters.matrixRows = textToInt32(rows->text());
        parameters.matrixColumns = textToInt32(columns->text());
        parameters.matrixDX = textToInt32(dx->text());
        parameters.matrixDY = textToInt32(dy->text());
        parameters.matrixType = chosenType();
        parameters.pagesToPrint = m_context.editor.document().pagesToPrint;
        const MatrixResult result =
            m_context.editor.edit(QStringLiteral("Create Matrix"), [&parameters](Document &doc) {
                return createMatrix(doc, parameters);
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

void TForm10::Button2Click()
{
    reject();
}

void TForm10::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (event->spontaneous())
        return;
    centerOnScreen(*this);
    FormShow();
}

std::array<QRadioButton *, 5> TForm10::typeButtons() const
{
    return {u1, u2, u3, u4, u5};
}

std::int32_t TForm10::chosenType() const
{
    if (!create_link->isChecked())
        return -1;
    std::int32_t type = -1;
    const auto buttons = typeButtons();
    for (std::size_t k = 0; k < buttons.size(); ++k) {
        if (buttons[k]->isChecked())
            type = static_cast<std::int32_t>(k) + 1;
    }
    return type;
}
