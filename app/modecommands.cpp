#include "modecommands.h"

#include "actions.h"

#include <QButtonGroup>
#include <QLabel>

#include <algorithm>
#include <array>

namespace {

// The button and the Tools item of each mode, and the status texts they
// write: the two differ for the unlink mode.
struct ModeRow
{
    EditMode mode;
    QAction *ModeCommands::*item;
    QToolButton *ModeCommands::*button;
    const char *itemName;
    const char *itemCaption;
    const char *buttonName;
    const char *buttonCaption;
    const char *hint;
    const char *buttonStatus;
    const char *itemStatus;
};

const std::array<ModeRow, 6> modeRows{{
    {ModeMain, &ModeCommands::mainModeAction, &ModeCommands::mainModeButton, "mainModeAction",
     "&Main", "mainModeButton", "M", "Main mode", "Main Mode", "Main Mode"},
    {ModePlaceNumber, &ModeCommands::placeNumberAction, &ModeCommands::placeNumberButton,
     "placeNumberAction", "Place &Number", "placeNumberButton", "N", "Place Number", "Place Number",
     "Place Number"},
    {ModePlaceText, &ModeCommands::placeTextAction, &ModeCommands::placeTextButton,
     "placeTextAction", "Place &Text", "placeTextButton", "T", "Place Text", "Place Text",
     "Place Text"},
    {ModePlacePicture, &ModeCommands::placePictureAction, &ModeCommands::placePictureButton,
     "placePictureAction", "Place &Picture", "placePictureButton", "P", "Place Picture",
     "Place Picture", "Place Picture"},
    {ModeLink, &ModeCommands::linkModeAction, &ModeCommands::linkModeButton, "linkModeAction",
     "&Link Mode", "linkModeButton", "L", "Link Mode", "Create Link", "Create Link"},
    {ModeUnlink, &ModeCommands::unlinkModeAction, &ModeCommands::unlinkModeButton,
     "unlinkModeAction", "&Unlink Mode", "unlinkModeButton", "U", "Unlink Mode", "Break link",
     "Delete Link"},
}};

const ModeRow &rowOf(EditMode mode)
{
    return *std::find_if(modeRows.begin(), modeRows.end(),
                         [mode](const ModeRow &row) { return row.mode == mode; });
}

} // namespace

ModeCommands::ModeCommands(Session &session, std::function<void()> redraw, QWidget *parent)
    : QObject(parent), m_session(session), m_redraw(std::move(redraw))
{
    modeGroup = new QButtonGroup(parent);
    modeGroup->setObjectName(QStringLiteral("modeGroup"));
    modeGroup->setExclusive(true);
    for (const ModeRow &row : modeRows) {
        QAction *item = makeAction(parent, row.itemName, row.itemCaption);
        QToolButton *button =
            makeToolButton(parent, row.buttonName, row.buttonCaption, row.hint, true);
        modeGroup->addButton(button);
        this->*row.item = item;
        this->*row.button = button;
        const EditMode mode = row.mode;
        connect(item, &QAction::triggered, this, [this, mode] { chooseFromMenu(mode); });
        connect(button, &QToolButton::clicked, this, [this, mode] { chooseFromButton(mode); });
    }
    mainModeButton->setChecked(true);

    modeLabel = new QLabel(QStringLiteral("Main Mode"), parent);
    modeLabel->setObjectName(QStringLiteral("modeLabel"));
    modeLabel->setFrameStyle(QFrame::Box | QFrame::Plain);
    modeLabel->setLineWidth(1);
    modeLabel->setFixedSize(96, 22);
}

void ModeCommands::chooseFromButton(EditMode mode)
{
    modeLabel->setText(QString::fromLatin1(rowOf(mode).buttonStatus));
    m_session.editMode = mode;
    m_redraw();
}

void ModeCommands::chooseFromMenu(EditMode mode)
{
    const ModeRow &row = rowOf(mode);
    (this->*row.button)->setChecked(true);
    modeLabel->setText(QString::fromLatin1(row.itemStatus));
    m_session.editMode = mode;
}
