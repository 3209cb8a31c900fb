#pragma once

#include "commands/appcontext.h"
#include "commands/commands.h"

#include <QObject>

#include <cstdint>

class PageTool;
class QFileDialog;
class QWidget;

// Place Picture: a press on the page in its mode asks for a PNG, JPEG, SVG
// or PDF file (and, for a PDF of several pages, which page) and places the
// picture there at its natural size, 72 page units an inch, as one step.
class PictureCommands : public Commands
{
    Q_OBJECT

public:
    // Answers the presses of `tool` in the Place Picture mode.
    PictureCommands(const AppContext &context, const PageTool &tool, QWidget *parent);

    CommandRows rows() const override;

private:
    // Asks for the picture to place with its top-left corner at page point (x, y).
    void placeAt(std::int32_t x, std::int32_t y);
    // The file chosen and its bytes; false, having said why, when there is
    // none to place.
    bool chooseFile(QString &path, QByteArray &bytes);

    AppContext m_context;
    QWidget *m_parent;
    QFileDialog *m_fileDialog = nullptr;
};
