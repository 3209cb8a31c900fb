#include "dialogs/sheetlayoutdialog.h"

#include "dialogs/sheetpreview.h"
#include "guarded.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace {

constexpr double pointsPerMillimetre = 72 / 25.4;

// A value a box offers, under its title.
template <typename Value> struct Choice
{
    Value value;
    const char *title;
};

constexpr Choice<SheetOrder> orderChoices[] = {
    {SheetOrder::AcrossRows, "Across the rows"},
    {SheetOrder::DownColumns, "Down the columns"},
    {SheetOrder::CutAndStack, "Cut and stack"},
};

constexpr Choice<Duplex> duplexChoices[] = {
    {Duplex::Off, "off"},
    {Duplex::LongEdge, "flip on the long edge"},
    {Duplex::ShortEdge, "flip on the short edge"},
};

template <typename Value, std::size_t count>
QComboBox *choiceBox(QWidget *parent, const char *name, const Choice<Value> (&choices)[count])
{
    auto *box = new QComboBox(parent);
    box->setObjectName(QLatin1String(name));
    for (const Choice<Value> &choice : choices)
        box->addItem(QString::fromLatin1(choice.title));
    return box;
}

QDoubleSpinBox *millimetreBox(QWidget *parent, const char *name, double lowest)
{
    auto *box = new QDoubleSpinBox(parent);
    box->setObjectName(QLatin1String(name));
    box->setRange(lowest, SheetLayout::largestSide / pointsPerMillimetre);
    box->setDecimals(2);
    box->setSuffix(QStringLiteral(" mm"));
    return box;
}

QSpinBox *countBox(QWidget *parent, const char *name)
{
    auto *box = new QSpinBox(parent);
    box->setObjectName(QLatin1String(name));
    box->setRange(1, 1000);
    return box;
}

QRadioButton *kindButton(QWidget *parent, const char *name, const char *text)
{
    auto *button = new QRadioButton(QString::fromLatin1(text), parent);
    button->setObjectName(QLatin1String(name));
    return button;
}

} // namespace

SheetLayoutDialog::SheetLayoutDialog(const SheetDatabase *database, QWidget *parent)
    : QDialog(parent), m_database(database)
{
    setObjectName(QStringLiteral("SheetLayoutDialog"));
    setWindowTitle(QStringLiteral("Sheet Layout"));
    plainPaperButton = kindButton(this, "plainPaperButton", "P&lain paper, a page a sheet");
    productButton = kindButton(this, "productButton", "A &product:");
    customButton = kindButton(this, "customButton", "A c&ustom sheet:");
    m_kinds = new QButtonGroup(this);
    for (QRadioButton *button : {plainPaperButton, productButton, customButton})
        m_kinds->addButton(button);

    searchEdit = new QLineEdit(this);
    searchEdit->setObjectName(QStringLiteral("searchEdit"));
    searchEdit->setPlaceholderText(QStringLiteral("Make, number or words: 5160, business card"));
    searchEdit->setClearButtonEnabled(true);
    productList = new QListWidget(this);
    productList->setObjectName(QStringLiteral("productList"));
    productList->setUniformItemSizes(true);
    missingDatabaseLabel = new QLabel(
        QStringLiteral("The database of label sheets is not installed. Install the "
                       "glabels-data package (apt install glabels-data) to choose a product."),
        this);
    missingDatabaseLabel->setObjectName(QStringLiteral("missingDatabaseLabel"));
    missingDatabaseLabel->setWordWrap(true);
    const bool haveProducts = m_database && !m_database->isEmpty();
    if (haveProducts)
        listProducts(m_database->matching(QString()));
    missingDatabaseLabel->setVisible(!haveProducts);
    productButton->setEnabled(haveProducts);
    searchEdit->setEnabled(haveProducts);
    productList->setEnabled(haveProducts);

    orderBox = choiceBox(this, "orderBox", orderChoices);
    twoSidedBox = choiceBox(this, "twoSidedBox", duplexChoices);
    sheetPreview = new SheetPreview(this);
    buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->setObjectName(QStringLiteral("buttons"));
    buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("okButton"));
    buttons->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("cancelButton"));

    auto *choices = new QVBoxLayout;
    choices->addWidget(plainPaperButton);
    choices->addWidget(productButton);
    choices->addWidget(searchEdit);
    choices->addWidget(productList, 1);
    choices->addWidget(missingDatabaseLabel);
    choices->addWidget(customButton);
    choices->addWidget(makeCustomFields());
    auto *order = new QFormLayout;
    order->addRow(QStringLiteral("&Labels are filled:"), orderBox);
    order->addRow(QStringLiteral("T&wo-sided:"), twoSidedBox);
    choices->addLayout(order);
    auto *columns = new QHBoxLayout;
    columns->addLayout(choices, 1);
    columns->addWidget(sheetPreview);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(columns);
    layout->addWidget(buttons);

    connect(searchEdit, &QLineEdit::textChanged, this, &SheetLayoutDialog::search);
    connect(searchEdit, &QLineEdit::textEdited, productButton,
            [this] { productButton->setChecked(true); });
    // A product is chosen by selecting it: the focus coming to the list by
    // Tab makes its first row current, which chooses nothing.
    connect(productList, &QListWidget::itemSelectionChanged, this, [this] {
        productButton->setChecked(true);
        updateChoice();
    });
    connect(m_kinds, &QButtonGroup::buttonToggled, this, [this](QAbstractButton *, bool on) {
        if (on)
            updateChoice();
    });
    connect(orderBox, &QComboBox::currentIndexChanged, this, &SheetLayoutDialog::updateChoice);
    connect(buttons, &QDialogButtonBox::accepted, this, &SheetLayoutDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    plainPaperButton->setChecked(true);
}

QWidget *SheetLayoutDialog::makeCustomFields()
{
    auto *fields = new QWidget(this);
    fields->setObjectName(QStringLiteral("customFields"));
    paperWidthBox = millimetreBox(fields, "paperWidthBox", 1);
    paperHeightBox = millimetreBox(fields, "paperHeightBox", 1);
    labelWidthBox = millimetreBox(fields, "labelWidthBox", 1);
    labelHeightBox = millimetreBox(fields, "labelHeightBox", 1);
    cornerBox = millimetreBox(fields, "cornerBox", 0);
    columnsBox = countBox(fields, "columnsBox");
    rowsBox = countBox(fields, "rowsBox");
    leftBox = millimetreBox(fields, "leftBox", 0);
    topBox = millimetreBox(fields, "topBox", 0);
    acrossBox = millimetreBox(fields, "acrossBox", 0);
    downBox = millimetreBox(fields, "downBox", 0);
    auto *grid = new QGridLayout(fields);
    grid->setContentsMargins(20, 0, 0, 0);
    const auto addRow = [grid, fields](int row, const char *title, QWidget *left, QWidget *right) {
        grid->addWidget(new QLabel(QString::fromLatin1(title), fields), row, 0);
        grid->addWidget(left, row, 1);
        grid->addWidget(right, row, 2);
    };
    addRow(0, "Paper, width and height:", paperWidthBox, paperHeightBox);
    addRow(1, "Label, width and height:", labelWidthBox, labelHeightBox);
    addRow(2, "Columns and rows:", columnsBox, rowsBox);
    addRow(3, "First label from the left and top:", leftBox, topBox);
    addRow(4, "Next label across and down:", acrossBox, downBox);
    grid->addWidget(new QLabel(QStringLiteral("Corners rounded by:"), fields), 5, 0);
    grid->addWidget(cornerBox, 5, 1);
    // A sheet of A4 to start from: 24 labels of 70 x 37 mm.
    SheetLayout start;
    start.paper = QSizeF(210, 297) * pointsPerMillimetre;
    start.label = QSizeF(70, 37) * pointsPerMillimetre;
    start.grids = {{3, 8, 0, 0, start.label.width(), start.label.height()}};
    fillCustomFields(start);
    for (QDoubleSpinBox *box : fields->findChildren<QDoubleSpinBox *>())
        connect(box, &QDoubleSpinBox::valueChanged, this, [this] {
            customButton->setChecked(true);
            updateChoice();
        });
    for (QSpinBox *box : {columnsBox, rowsBox})
        connect(box, &QSpinBox::valueChanged, this, [this] {
            customButton->setChecked(true);
            updateChoice();
        });
    return fields;
}

void SheetLayoutDialog::listProducts(const QList<int> &indices)
{
    QStringList titles;
    titles.reserve(indices.size());
    for (const int index : indices) {
        const SheetLayout &product = m_database->products()[index];
        titles.append(product.title() + QStringLiteral(": ") + product.description);
    }
    const QSignalBlocker blocker(productList);
    productList->clear();
    // In one go: an item at a time, the list lays itself out for each.
    productList->addItems(titles);
    m_listed = indices;
}

int SheetLayoutDialog::chosenProduct() const
{
    return m_listed.value(productList->currentRow(), -1);
}

void SheetLayoutDialog::chooseProduct(int index)
{
    const qsizetype row = m_listed.indexOf(index);
    if (row >= 0)
        productList->setCurrentRow(static_cast<int>(row));
}

void SheetLayoutDialog::search(const QString &text)
{
    if (!m_database)
        return;
    const int chosen = chosenProduct();
    const QList<int> found = m_database->matching(text);
    listProducts(found);
    // The best product found becomes the choice: one whose number was typed
    // whole, else the first listed; with nothing typed the choice stays.
    if (found.isEmpty()) {
        if (chosen >= 0)
            updateChoice();
        return;
    }
    const int best = text.trimmed().isEmpty() && chosen >= 0 ? chosen : found.first();
    // The same choice again is no change: the drawing stays as it is.
    const QSignalBlocker unchanged(best == chosen ? productList : nullptr);
    chooseProduct(best);
}

void SheetLayoutDialog::fillCustomFields(const SheetLayout &layout)
{
    const QSignalBlocker blocker(this);
    const auto setMillimetres = [](QDoubleSpinBox *box, double points) {
        const QSignalBlocker boxBlocker(box);
        box->setValue(points / pointsPerMillimetre);
    };
    setMillimetres(paperWidthBox, layout.paper.width());
    setMillimetres(paperHeightBox, layout.paper.height());
    setMillimetres(labelWidthBox, layout.label.width());
    setMillimetres(labelHeightBox, layout.label.height());
    setMillimetres(cornerBox, layout.shape == LabelShape::Rectangle ? layout.cornerRadius : 0);
    const LabelGrid grid = layout.grids.value(0);
    for (const auto &[box, count] : {std::pair{columnsBox, grid.columns}, {rowsBox, grid.rows}}) {
        const QSignalBlocker boxBlocker(box);
        box->setValue(count);
    }
    setMillimetres(leftBox, grid.x0);
    setMillimetres(topBox, grid.y0);
    setMillimetres(acrossBox, grid.dx);
    setMillimetres(downBox, grid.dy);
}

SheetLayout SheetLayoutDialog::customLayout() const
{
    const auto points = [](const QDoubleSpinBox *box) {
        return box->value() * pointsPerMillimetre;
    };
    SheetLayout layout;
    layout.paper = QSizeF(points(paperWidthBox), points(paperHeightBox));
    layout.label = QSizeF(points(labelWidthBox), points(labelHeightBox));
    layout.cornerRadius = points(cornerBox);
    layout.grids = {{columnsBox->value(), rowsBox->value(), points(leftBox), points(topBox),
                     points(acrossBox), points(downBox)}};
    return layout;
}

void SheetLayoutDialog::showLayout(const std::optional<SheetLayout> &current)
{
    const QSignalBlocker blocker(productList);
    searchEdit->clear();
    if (!current) {
        plainPaperButton->setChecked(true);
    } else {
        orderBox->setCurrentIndex(static_cast<int>(current->order));
        fillCustomFields(*current);
        const QList<SheetLayout> &products =
            m_database ? m_database->products() : QList<SheetLayout>();
        SheetLayout asStored = *current;
        const auto found =
            std::find_if(products.begin(), products.end(), [&asStored](const SheetLayout &product) {
                SheetLayout same = product;
                same.order = asStored.order;
                same.unknownKeys = asStored.unknownKeys;
                return same == asStored;
            });
        if (found != products.end()) {
            chooseProduct(static_cast<int>(found - products.begin()));
            productButton->setChecked(true);
        } else {
            customButton->setChecked(true);
        }
    }
    updateChoice();
    // Most come for a product: typing finds one at once.
    if (searchEdit->isEnabled())
        searchEdit->setFocus();
}

std::optional<SheetLayout> SheetLayoutDialog::chosenLayout() const
{
    std::optional<SheetLayout> layout;
    if (customButton->isChecked())
        layout = customLayout();
    else if (productButton->isChecked() && m_database && chosenProduct() >= 0)
        layout = m_database->products().value(chosenProduct());
    if (layout)
        layout->order = orderChoices[std::max(orderBox->currentIndex(), 0)].value;
    return layout;
}

void SheetLayoutDialog::showDuplex(Duplex duplex)
{
    const auto shown =
        std::find_if(std::begin(duplexChoices), std::end(duplexChoices),
                     [duplex](const Choice<Duplex> &choice) { return choice.value == duplex; });
    twoSidedBox->setCurrentIndex(static_cast<int>(shown - std::begin(duplexChoices)));
}

Duplex SheetLayoutDialog::chosenDuplex() const
{
    return duplexChoices[std::max(twoSidedBox->currentIndex(), 0)].value;
}

void SheetLayoutDialog::updateChoice()
{
    orderBox->setEnabled(!plainPaperButton->isChecked());
    sheetPreview->showSheet(chosenLayout());
}

void SheetLayoutDialog::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    // The choice in view, however the list was scrolled when last shown.
    if (const QListWidgetItem *item = productList->currentItem())
        productList->scrollToItem(item, QAbstractItemView::PositionAtCenter);
}

void SheetLayoutDialog::accept()
{
    guarded([this] {
        const std::optional<SheetLayout> layout = chosenLayout();
        if (productButton->isChecked() && !layout)
            throw PaginetteError(QStringLiteral("Choose a product, or plain paper."));
        if (layout && !layout->problem().isEmpty())
            throw PaginetteError(layout->problem());
        QDialog::accept();
    });
}
