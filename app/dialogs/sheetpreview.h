#pragma once

#include "sheetlayout.h"

#include <QWidget>

#include <optional>

// A drawing of a sheet of labels, scaled to fit: the paper and each label
// in its shape, the first cell marked; an empty frame for plain paper.
class SheetPreview : public QWidget
{
    Q_OBJECT

public:
    explicit SheetPreview(QWidget *parent = nullptr);

    void showSheet(const std::optional<SheetLayout> &layout);
    QSize sizeHint() const override { return {180, 220}; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    std::optional<SheetLayout> m_layout;
};
