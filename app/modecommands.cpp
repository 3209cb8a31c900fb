#include "modecommands.h"

#include "mainframeui.h"
#include "tform1.h"

#include <QLabel>
#include <QToolButton>

#include <algorithm>
#include <array>

namespace {

// The button and the Tools item of each mode, and the status texts they
// write: the two differ for the unlink mode.
struct ModeRow
{
    EditMode mode;
    QToolButton *MainFrameUi::*button;
    const char *buttonStatus;
    const char *itemStatus;
};

constexpr std::array<ModeRow, 6> modeRows{{
    {ModeMain, &MainFrameUi::main, "Main Mode", "Main Mode"},
    {ModePlaceNumber, &MainFrameUi::number, "Place Number", "Place Number"},
    {ModePlaceText, &MainFrameUi::text, "Place Text", "Place Text"},
    {ModePlacePicture, &MainFrameUi::pict, "Place Picture", "Place Picture"},
    {ModeLink, &MainFrameUi::link, "Create Link", "Create Link"},
    {ModeUnlink, &MainFrameUi::unlink, "Break link", "Delete Link"},
}};

const ModeRow &rowOf(EditMode mode)
{
    return *std::find_if(modeRows.begin(), modeRows.end(),
                         [mode](const ModeRow &row) { return row.mode == mode; });
}

} // namespace

ModeCommands::ModeCommands(TForm1 &frame, MainFrameUi &ui, ShellState &shell)
    : m_frame(frame), m_ui(ui), m_shell(shell)
{
}

void ModeCommands::chooseFromButton(EditMode mode)
{
    m_ui.mode->setText(QString::fromLatin1(rowOf(mode).buttonStatus));
    m_shell.editMode = mode;
    m_frame.renderScreen();
}

void ModeCommands::chooseFromMenu(EditMode mode)
{
    const ModeRow &row = rowOf(mode);
    (m_ui.*row.button)->setChecked(true);
    m_ui.mode->setText(QString::fromLatin1(row.itemStatus));
    m_shell.editMode = mode;
}
