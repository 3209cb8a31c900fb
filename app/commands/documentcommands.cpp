#include "commands/documentcommands.h"

#include "commands/actions.h"
#include "commands/datafileconsent.h"
#include "dialogs/messagedialog.h"
#include "documentwindow.h"
#include "file/documentfile.h"
#include "filedialogs.h"
#include "filenames.h"
#include "guarded.h"
#include "objecttable.h"
#include "outputs/outputfile.h"
#include "saveprompt.h"
#include "sharedlog/sharedlogsetting.h"

#include <QDir>
#include <QFileInfo>
#include <QUuid>

DocumentCommands::DocumentCommands(const AppContext &context, DocumentWindow &window,
                                   QWidget *parent)
    : Commands(parent), m_context(context), m_window(window), m_parent(parent),
      m_fileDialogs(new FileDialogs(parent))
{
    newAction = makeAction(parent, "newAction", "&New", ctrl(Qt::Key_N));
    openAction = makeAction(parent, "openAction", "&Open", ctrl(Qt::Key_O));
    closeAction = makeAction(parent, "closeAction", "&Close", ctrl(Qt::Key_W));
    saveAction = makeAction(parent, "saveAction", "&Save", ctrl(Qt::Key_S));
    saveAsAction = makeAction(parent, "saveAsAction", "Save &As");
    quitAction = makeAction(parent, "quitAction", "&Quit", ctrl(Qt::Key_Q));
    connect(newAction, &QAction::triggered, this, &DocumentCommands::newDocument);
    connect(openAction, &QAction::triggered, this, &DocumentCommands::open);
    connect(closeAction, &QAction::triggered, this, &DocumentCommands::close);
    connect(saveAction, &QAction::triggered, this, &DocumentCommands::save);
    connect(saveAsAction, &QAction::triggered, this, &DocumentCommands::saveAs);
    // The window's close handling makes the offer to save.
    connect(quitAction, &QAction::triggered, parent, &QWidget::close);
}

void DocumentCommands::startUntitled(std::int32_t capacity)
{
    m_context.editor.replace(emptyDocument(capacity));
    m_context.session.docOpen = true;
    setCurrentFile(QString());
}

void DocumentCommands::updateEnabled()
{
    const Session &session = m_context.session;
    closeAction->setEnabled(session.docOpen);
    // A document never saved has something to save, edited or not.
    saveAction->setEnabled(session.docOpen && (!session.docNamed || session.docModified));
    // The title names the document; [*] marks unsaved changes, and a "[*]"
    // of the file's own name is doubled so that it shows as written.
    QString name =
        session.docNamed ? shownFileName(session.docFileName) : QStringLiteral("Untitled");
    name.replace(QLatin1String("[*]"), QLatin1String("[*][*]"));
    m_window.setWindowTitle(name + QStringLiteral("[*]"));
    m_window.setWindowModified(session.docModified);
}

void DocumentCommands::newDocument()
{
    if (!closeDocument())
        return;
    clearCurrentDocument();
    m_context.session.docOpen = true;
    setCurrentFile(QString());
    Q_EMIT documentShown();
}

void DocumentCommands::open()
{
    // A cancelled Open leaves the document as it was.
    QString path;
    if (closeDocument() && m_fileDialogs->chooseOpenPath(path))
        load(path);
}

void DocumentCommands::openFile(const QString &path)
{
    if (closeDocument())
        load(path);
}

void DocumentCommands::load(const QString &path)
{
    const QString name = shownFileName(QFileInfo(path).fileName());
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
    m_context.session.docOpen = true;
    setCurrentFile(path);
    Q_EMIT documentShown();
}

void DocumentCommands::close()
{
    Session &session = m_context.session;
    if (session.docOpen) {
        Q_EMIT documentClosing();
        if (!closeDocument())
            return;
        session.docOpen = false;
        clearCurrentDocument();
        setCurrentFile(QString());
        Q_EMIT documentClosed();
    }
    updateEnabled();
}

void DocumentCommands::save()
{
    const Session &session = m_context.session;
    if (session.docNamed) {
        if (write(session.docFileName))
            setCurrentFile(session.docFileName);
    } else {
        QString path;
        if (!m_fileDialogs->chooseSavePath(path))
            return;
        if (write(path))
            setCurrentFile(path);
    }
    updateEnabled();
}

void DocumentCommands::saveAs()
{
    QString path;
    if (!m_fileDialogs->chooseSavePath(path))
        return;
    const std::optional<CopyJob> job = chooseJobOfCopy(path);
    if (!job)
        return;
    // The document shown keeps its id until the copy is saved.
    const QString id = m_context.editor.document().id;
    if (job == CopyJob::New)
        m_context.editor.setId(QUuid::createUuid().toString(QUuid::WithoutBraces));
    if (write(path))
        setCurrentFile(path);
    else
        m_context.editor.setId(id);
}

std::optional<DocumentCommands::CopyJob> DocumentCommands::chooseJobOfCopy(const QString &path)
{
    // A job is known to the logs by its id: a copy kept under it shares the
    // original's numbers, so a copy made as a template for a new job must
    // not.
    const Session &session = m_context.session;
    if (m_context.editor.document().id.isEmpty() || !session.docNamed ||
        path == session.docFileName)
        return CopyJob::Same;
    const int answer = showMessageDialog(
        m_parent, QStringLiteral("Save As"), QStringLiteral("Is the copy the same job?"),
        QStringLiteral("OK: the same job, its runs checked and continued with the original's."),
        QStringLiteral("No: a new job, with numbers of its own."), true, true);
    if (answer == MessageDialog::AnswerCancel)
        return std::nullopt;
    return answer == MessageDialog::AnswerNo ? CopyJob::New : CopyJob::Same;
}

bool DocumentCommands::closeDocument()
{
    return !m_context.session.docOpen || maybeSave();
}

bool DocumentCommands::closeForQuit()
{
    if (!closeDocument())
        return false;
    m_context.session.docOpen = false;
    return true;
}

bool DocumentCommands::maybeSave()
{
    SavePromptServices prompt;
    prompt.messageDialog = [this](const QString &caption, const QString &label,
                                  const QString &line1, const QString &line2, bool showCancel,
                                  bool showNo) {
        return showMessageDialog(m_parent, caption, label, line1, line2, showCancel, showNo);
    };
    prompt.choosePath = [this](QString &path) {
        return m_fileDialogs->chooseSavePath(path);
    };
    prompt.save = [this](const QString &path) {
        if (!write(path))
            return false;
        setCurrentFile(path);
        return true;
    };
    return ::maybeSave(m_context.session, prompt);
}

QString DocumentCommands::saveUnderNonUtf8Name(const Document &doc, const QString &path) const
{
    // Qt's files reach no such name: the document goes through the output
    // file of a run, whole or not at all, as a run to that name would.
    OutputFile file(resolveOutput(path));
    QString error = file.open();
    const QByteArray bytes = documentBytes(doc, m_window.boxes());
    if (error.isEmpty() && file.device().write(bytes) != bytes.size())
        error = file.failure();
    return shownFileName(error.isEmpty() ? file.commit() : error);
}

std::optional<QString> DocumentCommands::dataFileFrom(const QString &path) const
{
    const Document &doc = m_context.editor.document();
    const Session &session = m_context.session;
    if (!doc.data || doc.data->file.isEmpty() || QDir::isAbsolutePath(doc.data->file))
        return std::nullopt;
    const QString stored = relativeDataFile(
        resolvedDataFile(doc.data->file, session.docNamed ? session.docFileName : QString()), path);
    if (stored == doc.data->file)
        return std::nullopt;
    return stored;
}

bool DocumentCommands::dataFileConsented() const
{
    const Session &session = m_context.session;
    if (!session.docNamed)
        return true;
    const std::optional<QString> outside =
        dataFileOutside(m_context.editor.document().data, session.docFileName);
    return !outside || DataFileConsent().given(session.docFileName, *outside);
}

void DocumentCommands::keepDataFileConsent(const QString &path) const
{
    const std::optional<QString> outside = dataFileOutside(m_context.editor.document().data, path);
    if (!outside)
        return;
    const QString unkept = DataFileConsent().give(path, *outside);
    if (!unkept.isEmpty())
        reportError(unkept);
}

bool DocumentCommands::write(const QString &path)
{
    // A job printed through a shop's shared log is known by its id on every
    // machine; without one, a document is saved as it always was. A block
    // that could not be read is not replaced for it.
    const Document &doc = m_context.editor.document();
    const bool unreadBlock = doc.storedBlock && doc.storedBlock->damaged;
    if (!unreadBlock && !SharedLogSetting().uri().isEmpty())
        m_context.editor.ensureId();
    if (saveDropsUnreadFormats(doc) &&
        !m_context.feedback.confirm(
            QStringLiteral("Save without the number formats that could not be read?"),
            QStringLiteral("Number Formats")))
        return false;
    // Saved in another folder, the document still finds its data file; the
    // document changes only once it is saved so.
    const std::optional<QString> dataFile = dataFileFrom(path);
    Document rebased;
    if (dataFile) {
        rebased = doc;
        rebased.data->file = *dataFile;
    }
    const Document &saved = dataFile ? rebased : doc;
    // The user's own file, chosen here or beside the document, stays theirs
    // under the new name; a file a document from elsewhere names does not.
    const bool consented = dataFileConsented();
    const QString error = holdsNonUtf8(path) ? saveUnderNonUtf8Name(saved, path)
                                             : saveDocument(saved, m_window.boxes(), path);
    if (error.isEmpty() && dataFile)
        m_context.editor.edit(QStringLiteral("Save As"),
                              [&dataFile](Document &changed) { changed.data->file = *dataFile; });
    if (error.isEmpty()) {
        if (consented)
            keepDataFileConsent(path);
        return true;
    }
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
    Session &session = m_context.session;
    session.docFileName = path;
    session.docNamed = !path.isEmpty();
    m_context.editor.markSaved();
    updateEnabled();
}

CommandRows DocumentCommands::rows() const
{
    // The print commands stand between Save As and Quit.
    return {{{Menu::File, 1, 1, newAction},
             {Menu::File, 1, 2, openAction},
             {Menu::File, 1, 3, closeAction},
             {Menu::File, 2, 1, saveAction},
             {Menu::File, 2, 2, saveAsAction},
             {Menu::File, 9, 1, quitAction}},
            {},
            {}};
}
