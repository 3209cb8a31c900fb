#include "tform2.h"

TForm2::TForm2(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(QStringLiteral("Object Properties"));
    // A small tool window that stays above the page it edits, with a close box only.
    setWindowFlags(Qt::Tool | Qt::WindowStaysOnTopHint | Qt::CustomizeWindowHint |
                   Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    resize(268, 75);
}
