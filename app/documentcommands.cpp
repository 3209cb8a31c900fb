#include "documentcommands.h"

#include "documentfile.h"
#include "filedialogs.h"
#include "messagedialog.h"
#include "objecttable.h"
#include "saveprompt.h"
#include "tform1.h"
#include "tform2.h"
#include "tform6.h"

#include <QFileInfo>

DocumentCommands::DocumentCommands(TForm1 &frame, const AppContext &context)
    : m_frame(frame), m_context(context)
{
}

void DocumentCommands::newDocument()
{
    if (!closeDocument())
        return;
    clearCurrentDocument();
    ShellState &shell = m_context.shell;
    shell.docOpen = 1;
    shell.docNamed = 0;
    showDocument();
}

void DocumentCommands::open()
{
    // A cancelled Open leaves the document as it was.
    QString path;
    if (closeDocument() && m_frame.fileDialogs->chooseOpenPath(path))
        load(path);
}

void DocumentCommands::openFile(const QString &path)
{
    if (closeDocument())
        load(path);
}

void DocumentCommands::load(const QString &path)
{
    const QString name = QFileInfo(path).fileName();
    std::int32_t capacity = m_context.editor.document().capacity;
    LoadResult loaded = loadDocument(path, capacity);
    // A document larger than the table's room gets the room it needs, up to
    // the program's limit, rather than losing objects.
    if (loaded.document && loaded.storedObjects > capacity) {
        if (loaded.storedObjects > maxObjectCapacity) {
            m_context.feedback.tell(QStringLiteral("%1: This document holds %2 objects; Paginette "
                                                   "holds %3 at most.")
                                        .arg(name)
                                        .arg(loaded.storedObjects)
                                        .arg(maxObjectCapacity),
                                    QStringLiteral("File Name"));
            return;
        }
        capacity = loaded.storedObjects;
        loaded = loadDocument(path, capacity);
        if (loaded.document)
            m_context.feedback.tell(
                QStringLiteral("This document holds %1 objects; the room for objects is now %1 "
                               "for this session.")
                    .arg(capacity),
                QStringLiteral("Max Number of Objects"));
    }
    // Each message names the file and says why.
    for (const FileMessage &message : loaded.messages)
        m_context.feedback.tell(name + QStringLiteral(": ") + message.detail, message.caption);
    // Refused: the document in hand stays.
    if (!loaded.document)
        return;
    m_context.editor.replace(*loaded.document);
    m_context.shell.docOpen = 1;
    setCurrentFile(path);
    showDocument();
}

void DocumentCommands::close()
{
    ShellState &shell = m_context.shell;
    if (shell.docOpen == 1) {
        m_frame.Form2->close();
        if (!closeDocument())
            return;
        clearCurrentDocument();
        shell.docOpen = 0;
        shell.docNamed = 0;
        m_frame.showDocumentValues();
        // A closed document is no longer drawn.
        m_frame.renderScreen();
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

bool DocumentCommands::closeForQuit()
{
    if (!closeDocument())
        return false;
    m_context.shell.docOpen = 0;
    return true;
}

bool DocumentCommands::maybeSave()
{
    SavePromptServices prompt;
    prompt.messageDialog = showMessageDialog;
    prompt.choosePath = [this](QString &path) {
        return m_frame.fileDialogs->chooseSavePath(path);
    };
    prompt.save = [this](const QString &path) {
        if (!write(path))
            return false;
        setCurrentFile(path);
        return true;
    };
    return ::maybeSave(m_context.shell, prompt);
}

bool DocumentCommands::write(const QString &path)
{
    const Document &doc = m_context.editor.document();
    if (saveDropsUnreadFormats(doc) &&
        !m_context.feedback.confirm(
            QStringLiteral("Save without the number formats that could not be read?"),
            QStringLiteral("Number Formats")))
        return false;
    const QList<Bounds32> boxes = m_frame.Form6 ? m_frame.Form6->boxes() : QList<Bounds32>();
    const QString error = saveDocument(doc, boxes, path);
    if (error.isEmpty())
        return true;
    m_context.feedback.tell(error, QStringLiteral("Error"));
    return false;
}

void DocumentCommands::clearCurrentDocument()
{
    m_context.editor.replace(emptyDocument(m_context.editor.document().capacity));
    m_context.editor.markSaved();
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
