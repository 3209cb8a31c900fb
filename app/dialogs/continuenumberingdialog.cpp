#include "dialogs/continuenumberingdialog.h"

#include "dialogstyle.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

ContinueNumberingDialog::ContinueNumberingDialog(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("ContinueNumberingDialog"));
    setWindowTitle(QStringLiteral("Continue Numbering"));
    setModal(true);
    setFont(designFont());
    resize(320, 280);

    questionLabel = new QLabel(this);
    questionLabel->setObjectName(QStringLiteral("questionLabel"));
    questionLabel->setWordWrap(true);
    valuesTable = new QTableWidget(0, 2, this);
    valuesTable->setObjectName(QStringLiteral("valuesTable"));
    valuesTable->setHorizontalHeaderLabels(
        {QStringLiteral("Number"), QStringLiteral("First value")});
    valuesTable->horizontalHeader()->setStretchLastSection(true);
    valuesTable->verticalHeader()->hide();
    valuesTable->setEditTriggers(QAbstractItemView::NoEditTriggers);
    valuesTable->setSelectionMode(QAbstractItemView::NoSelection);
    okButton = new QPushButton(QStringLiteral("OK"), this);
    okButton->setObjectName(QStringLiteral("okButton"));
    okButton->setDefault(true);
    cancelButton = new QPushButton(QStringLiteral("Cancel"), this);
    cancelButton->setObjectName(QStringLiteral("cancelButton"));

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(okButton);
    buttons->addWidget(cancelButton);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(questionLabel);
    layout->addWidget(valuesTable);
    layout->addLayout(buttons);

    connect(okButton, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancelButton, &QPushButton::clicked, this, &QDialog::reject);
}

void ContinueNumberingDialog::showValues(const QList<NextFirstValue> &values, std::int32_t pages)
{
    questionLabel->setText(QStringLiteral("Move every number on by a run of %1 pages? The next run "
                                          "starts with:")
                               .arg(pages));
    listValues(values);
}

void ContinueNumberingDialog::showValuesPast(const QList<NextFirstValue> &values,
                                             const QString &log)
{
    questionLabel->setText(QStringLiteral("Move every number past the values every machine "
                                          "printed or holds, as the shared print log %1 tells? "
                                          "The next run starts with:")
                               .arg(log));
    listValues(values);
}

void ContinueNumberingDialog::listValues(const QList<NextFirstValue> &values)
{
    valuesTable->setRowCount(static_cast<int>(values.size()));
    for (int row = 0; row < values.size(); ++row) {
        valuesTable->setItem(row, 0, new QTableWidgetItem(values[row].name));
        valuesTable->setItem(row, 1, new QTableWidgetItem(values[row].text));
    }
}
