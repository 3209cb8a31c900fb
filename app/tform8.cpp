#include "tform8.h"

#include "dialogstyle.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

TForm8::TForm8(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("TForm8"));
    setWindowTitle(QStringLiteral("Continue Numbering"));
    setModal(true);
    setFont(designFont());
    resize(320, 280);

    Label1 = new QLabel(this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setWordWrap(true);
    Numbers = new QTableWidget(0, 2, this);
    Numbers->setObjectName(QStringLiteral("Numbers"));
    Numbers->setHorizontalHeaderLabels({QStringLiteral("Number"), QStringLiteral("First value")});
    Numbers->horizontalHeader()->setStretchLastSection(true);
    Numbers->verticalHeader()->hide();
    Numbers->setEditTriggers(QAbstractItemView::NoEditTriggers);
    Numbers->setSelectionMode(QAbstractItemView::NoSelection);
    OKBtn = new QPushButton(QStringLiteral("OK"), this);
    OKBtn->setObjectName(QStringLiteral("OKBtn"));
    OKBtn->setDefault(true);
    CancelBtn = new QPushButton(QStringLiteral("Cancel"), this);
    CancelBtn->setObjectName(QStringLiteral("CancelBtn"));

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(OKBtn);
    buttons->addWidget(CancelBtn);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(Label1);
    layout->addWidget(Numbers);
    layout->addLayout(buttons);

    connect(OKBtn, &QPushButton::clicked, this, &QDialog::accept);
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
}

void TForm8::showValues(const QList<NextFirstValue> &values, std::int32_t pages)
{
    Label1->setText(QStringLiteral("Move every number on by a run of %1 pages? The next run "
                                   "starts with:")
                        .arg(pages));
    Numbers->setRowCount(static_cast<int>(values.size()));
    for (int row = 0; row < values.size(); ++row) {
        Numbers->setItem(row, 0, new QTableWidgetItem(values[row].name));
        Numbers->setItem(row, 1, new QTableWidgetItem(values[row].text));
    }
}
