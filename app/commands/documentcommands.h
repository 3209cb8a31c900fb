#pragma once

#include "commands/appcontext.h"
#include "commands/commands.h"

#include <QObject>
#include <QString>

#include <optional>

class DocumentWindow;
class FileDialogs;
class QAction;
class QWidget;

// File > New, Open, Close, Save, Save As and Quit, and the offer to save
// that New, Open, Close and Quit make before a document goes.
class DocumentCommands : public Commands
{
    Q_OBJECT

public:
    // `window` is the one document window; `parent`, the main window, carries
    // the items and the dialogs, and closes on Quit.
    DocumentCommands(const AppContext &context, DocumentWindow &window, QWidget *parent);

    CommandRows rows() const override;

    QAction *newAction = nullptr;
    QAction *openAction = nullptr;
    QAction *closeAction = nullptr;
    QAction *saveAction = nullptr;
    QAction *saveAsAction = nullptr;
    QAction *quitAction = nullptr;

    // The program's first document: empty, of `capacity` objects, untitled.
    void startUntitled(std::int32_t capacity);
    // Opens the document at `path` as File > Open does, without the dialog.
    void openFile(const QString &path);
    // The offer to save as the program ends; when the user lets it go, the
    // document is closed. False when the user kept it.
    bool closeForQuit();
    // Close follows whether a document is open; Save whether it holds
    // anything unsaved; the document window's title, its name and whether it
    // holds unsaved changes.
    void updateEnabled() override;

Q_SIGNALS:
    // A document is shown afresh, by New or Open.
    void documentShown();
    // File > Close is about to close the document.
    void documentClosing();
    // File > Close closed it.
    void documentClosed();

private:
    void newDocument();
    void open();
    void close();
    void save();
    void saveAs();

    // The offer to save of an open document; false when the user kept it.
    bool closeDocument();
    bool maybeSave();
    // Writes the document to `path`; false after telling why it failed, or
    // when the user would rather not drop what could not be read.
    bool write(const QString &path);
    // What a copy of a job saved as `path` is: asked the same job or a new
    // one, which gets an id of its own; nothing when the user cancels.
    enum class CopyJob
    {
        Same,
        New
    };
    std::optional<CopyJob> chooseJobOfCopy(const QString &path);
    // How a document saved as `path` in another folder stores its data
    // file, so that it keeps finding it; none when that does not change.
    std::optional<QString> dataFileFrom(const QString &path) const;
    // Whether the document's data file is the user's to read: untitled, in
    // its folder, or read outside it with the user's consent.
    bool dataFileConsented() const;
    // Keeps the consent for the document saved at `path`.
    void keepDataFileConsent(const QString &path) const;
    // Writes `doc` to a name that is not UTF-8; empty on success, else why not.
    QString saveUnderNonUtf8Name(const Document &doc, const QString &path) const;
    // An empty document of the same capacity, its history started afresh.
    void clearCurrentDocument();
    // Reads the document at `path` in place of the one in hand.
    void load(const QString &path);
    // The document in hand is the file at `path`, or untitled when `path`
    // is empty, with nothing unsaved; the title follows.
    void setCurrentFile(const QString &path);

    AppContext m_context;
    DocumentWindow &m_window;
    QWidget *m_parent;
    FileDialogs *m_fileDialogs;
};
