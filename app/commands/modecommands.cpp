#include "commands/modecommands.h"

#include "commands/actions.h"
#include "editorkinds.h"

#include <QButtonGroup>
#include <QLabel>

namespace {

// The modes of no kind: Main mode first, the place modes after it, then
// the link modes. The two status texts differ for the unlink mode.
struct ModeRow
{
    EditMode mode;
    ModeTool tool;
    int group;
};

constexpr int placeGroup = 2;

const ModeRow mainModeRow{ModeMain,
                          {"mainModeAction", "&Main", "mainModeButton", "M", "Main mode",
                           "Main Mode", "Main Mode", Glyph::Main},
                          1};
const ModeRow linkModeRows[] = {
    {ModeLink,
     {"linkModeAction", "&Link Mode", "linkModeButton", "L", "Link Mode", "Create Link",
      "Create Link", Glyph::Link},
     3},
    {ModeUnlink,
     {"unlinkModeAction", "&Unlink Mode", "unlinkModeButton", "U", "Unlink Mode", "Break link",
      "Delete Link", Glyph::Unlink},
     3},
};

} // namespace

ModeCommands::ModeCommands(Session &session, std::function<void()> redraw, QWidget *parent)
    : Commands(parent), m_session(session), m_redraw(std::move(redraw))
{
    m_modeGroup = new QButtonGroup(parent);
    m_modeGroup->setObjectName(QStringLiteral("modeGroup"));
    m_modeGroup->setExclusive(true);
    addMode(parent, mainModeRow.mode, 0, mainModeRow.tool, mainModeRow.group);
    for (const EditorKindRow &kind : editorKindRows())
        addMode(parent, ModePlace, kind.kind, kind.tool, placeGroup);
    for (const ModeRow &row : linkModeRows)
        addMode(parent, row.mode, 0, row.tool, row.group);
    m_tools.first().button->setChecked(true);

    modeLabel = new QLabel(QStringLiteral("Main Mode"), parent);
    modeLabel->setObjectName(QStringLiteral("modeLabel"));
    modeLabel->setFrameStyle(QFrame::Box | QFrame::Plain);
    modeLabel->setLineWidth(1);
    modeLabel->setFixedSize(96, 22);
}

void ModeCommands::addMode(QWidget *parent, EditMode editMode, std::int32_t placeKind,
                           const ModeTool &row, int group)
{
    const Tool tool{makeAction(parent, row.itemName, row.itemCaption),
                    makeToolButton(parent, row.buttonName, row.buttonCaption, row.hint, true),
                    row.glyph, group};
    m_tools.append(tool);
    m_modeGroup->addButton(tool.button);
    const Mode mode{editMode, placeKind, QString::fromLatin1(row.buttonStatus),
                    QString::fromLatin1(row.itemStatus)};
    connect(tool.item, &QAction::triggered, this,
            [this, mode, button = tool.button] { chooseFromMenu(mode, button); });
    connect(tool.button, &QToolButton::clicked, this, [this, mode] { chooseFromButton(mode); });
}

CommandRows ModeCommands::rows() const
{
    CommandRows rows;
    int place = 0;
    for (const Tool &tool : m_tools) {
        rows.menus.append({Menu::Tools, tool.group, ++place, tool.item});
        rows.toolBar.append({tool.group, place, tool.button});
        rows.glyphs.append({tool.button, tool.glyph});
    }
    // Last on the bar, after the view's controls.
    rows.toolBar.append({9, 1, modeLabel});
    return rows;
}

void ModeCommands::chooseFromButton(const Mode &mode)
{
    modeLabel->setText(mode.buttonStatus);
    m_session.editMode = mode.mode;
    m_session.placeKind = mode.placeKind;
    m_redraw();
}

void ModeCommands::chooseFromMenu(const Mode &mode, QToolButton *button)
{
    button->setChecked(true);
    modeLabel->setText(mode.itemStatus);
    m_session.editMode = mode.mode;
    m_session.placeKind = mode.placeKind;
}
