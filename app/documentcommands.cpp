#include "documentcommands.h"

#include "documentfile.h"
#include "filedialogs.h"
#include "messagedialog.h"
#include "objecttable.h"
#include "saveprompt.h"
#include "tform1.h"
#include "tform2.h"
#include "tform6.h"

DocumentCommands::DocumentCommands(TForm1 &frame, const AppContext &context)
    : m_frame(frame), m_context(context)
{
}

void DocumentCommands::newDocument()
{
    ShellState &shell = m_context.shell;
    if (shell.docOpen == 1) {
        if (!closeDocument())
            return;
        shell.docOpen = 0;
        clearCurrentDocument();
    }
    shell.docOpen = 1;
    shell.docNamed = 0;
    shell.docModified = 0;
    showDocument();
}

void DocumentCommands::open()
{
    if (m_context.shell.docOpen == 1 && !closeDocument())
        return;
    QString path;
    if (m_frame.fileDialogs->chooseOpenPath(path))
        load(path);
}

void DocumentCommands::openFile(const QString &path)
{
    if (m_context.shell.docOpen == 1 && !closeDocument())
        return;
    load(path);
}

void DocumentCommands::load(const QString &path)
{
    const LoadResult loaded = loadDocument(path, m_context.editor.document().capacity);
    for (const FileMessage &message : loaded.messages)
        m_context.feedback.tell(message.text, message.caption);
    // Refused: the name and caption stay as they were.
    if (!loaded.document)
        return;
    m_context.editor.replace(*loaded.document);
    m_context.shell.docOpen = 1;
    setCurrentFile(path);
    showDocument();
}

void DocumentCommands::close()
{
    if (m_context.shell.docOpen == 1) {
        m_frame.Form2->close();
        if (!closeDocument())
            return;
        clearCurrentDocument();
        m_frame.showDocumentValues();
    }
    m_frame.updateMenuState();
}

void DocumentCommands::save()
{
    const ShellState &shell = m_context.shell;
    if (shell.docNamed != 0) {
        if (write(shell.docFileName))
            setCurrentFile(shell.docFileName);
    } else {
        QString path;
        if (!m_frame.fileDialogs->chooseSavePath(path))
            return;
        if (write(path))
            setCurrentFile(path);
    }
    m_frame.updateMenuState();
}

void DocumentCommands::saveAs()
{
    QString path;
    if (!m_frame.fileDialogs->chooseSavePath(path))
        return;
    if (write(path))
        setCurrentFile(path);
}

void DocumentCommands::quit()
{
    // The frame's close handling makes the offer to save.
    m_frame.close();
}

bool DocumentCommands::closeDocument()
{
    return m_context.shell.docOpen != 1 || maybeSave();
}

bool DocumentCommands::maybeSave()
{
    SavePromptServices prompt;
    prompt.messageDialog = showMessageDialog;
    prompt.choosePath = [this](QString &path) {
        return m_frame.fileDialogs->chooseSavePath(path);
    };
    prompt.save = [this](const QString &path) {
        return write(path);
    };
    return ::maybeSave(m_context.shell, prompt);
}

bool DocumentCommands::write(const QString &path)
{
    const QList<Bounds32> boxes = m_frame.Form6 ? m_frame.Form6->boxes() : QList<Bounds32>();
    const QString error = saveDocument(m_context.editor.document(), boxes, path);
    if (error.isEmpty())
        return true;
    m_context.feedback.tell(error, QStringLiteral("Error"));
    return false;
}

void DocumentCommands::clearCurrentDocument()
{
    m_context.editor.replace(emptyDocument(m_context.editor.document().capacity));
}

void DocumentCommands::setCurrentFile(const QString &path)
{
    ShellState &shell = m_context.shell;
    shell.docFileName = path;
    shell.docNamed = 1;
    m_context.editor.markSaved();
    if (m_frame.Form6)
        m_frame.Form6->setWindowTitle(path);
}

void DocumentCommands::showDocument()
{
    m_frame.showDocumentWindow();
    m_frame.showObjectProperties();
    m_frame.showDocumentValues();
    m_frame.updateMenuState();
    m_frame.renderScreen();
}
