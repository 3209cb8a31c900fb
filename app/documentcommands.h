#pragma once

#include "appcontext.h"

#include <QString>

class TForm1;

// File > New, Open, Close, Save, Save As and Quit, and the offer to save
// that New, Open, Close and Quit make before a document goes.
class DocumentCommands
{
public:
    DocumentCommands(TForm1 &frame, const AppContext &context);

    void newDocument();
    void open();
    // Opens the document at `path` as File > Open does, without the dialog.
    void openFile(const QString &path);
    void close();
    void save();
    void saveAs();
    void quit();

    // The offer to save of an open document; false when the user kept it.
    bool closeDocument();
    // The offer to save as the program ends; when the user lets it go, the
    // document is closed.
    bool closeForQuit();

private:
    bool maybeSave();
    // Writes the document to `path`; false after telling why it failed.
    bool write(const QString &path);
    // An empty document of the same capacity, its history started afresh.
    void clearCurrentDocument();
    // Reads the document at `path` in place of the one in hand.
    void load(const QString &path);
    // The document now has this name and nothing unsaved.
    void setCurrentFile(const QString &path);
    // A document is shown afresh: window in front, Object Properties open,
    // the boxes and commands following it.
    void showDocument();

    TForm1 &m_frame;
    AppContext m_context;
};
