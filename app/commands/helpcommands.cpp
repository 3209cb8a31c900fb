#include "commands/helpcommands.h"

#include "commands/actions.h"
#include "dialogs/aboutdialog.h"
#include "dialogs/helpwindow.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QUrl>

#include <algorithm>

namespace {

const QString readMePath = QStringLiteral("paginette_readme/pgt_readme.htm");

// Where the read-me may be: the current folder, beside the program, then
// the data folder of the installed program, wherever its prefix is.
QStringList readMeLocations()
{
    const QString programDir = QCoreApplication::applicationDirPath();
    return {QDir::current().absoluteFilePath(readMePath),
            programDir + QLatin1Char('/') + readMePath,
            programDir + QStringLiteral("/../share/paginette/") + readMePath};
}

} // namespace

HelpCommands::HelpCommands(const Feedback &feedback, const ShellHooks &hooks, QWidget *parent)
    : Commands(parent), m_feedback(feedback), m_hooks(hooks), m_parent(parent)
{
    helpAction = makeAction(parent, "helpAction", "&Help", QKeySequence(Qt::Key_F1));
    aboutAction = makeAction(parent, "aboutAction", "&About Paginette");
    connect(helpAction, &QAction::triggered, this, &HelpCommands::showHelp);
    connect(aboutAction, &QAction::triggered, this, &HelpCommands::showAbout);
}

void HelpCommands::showAbout()
{
    if (!m_aboutDialog)
        m_aboutDialog = new AboutDialog(m_parent);
    m_hooks.runModal(*m_aboutDialog);
}

void HelpCommands::showSplash()
{
    if (!m_aboutDialog)
        m_aboutDialog = new AboutDialog(m_parent);
    m_hooks.showSplash(*m_aboutDialog);
}

void HelpCommands::showHelp()
{
    const QStringList locations = readMeLocations();
    const auto found =
        std::find_if(locations.begin(), locations.end(),
                     [](const QString &location) { return QFileInfo(location).isFile(); });
    if (found == locations.end()) {
        m_feedback.tell(QStringLiteral("Can't find Read Me files"), QString());
        return;
    }
    const QUrl readMe = QUrl::fromLocalFile(*found);
    m_hooks.openUrl(readMe, [this, readMe] {
        if (!m_helpWindow)
            m_helpWindow = new HelpWindow(m_parent);
        m_helpWindow->showPage(readMe);
    });
}

CommandRows HelpCommands::rows() const
{
    return {{{Menu::Help, 1, 1, helpAction}, {Menu::Help, 2, 1, aboutAction}}, {}, {}};
}
