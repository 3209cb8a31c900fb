#pragma once

#include <QObject>
#include <QString>

class QFileDialog;
class QWidget;

// Runs one of the program's file dialogs and gives the path chosen; false
// when the user cancelled, or when the name chosen is one the dialog cannot
// pass on, which the error display then tells. Its name box completes names
// only while it runs, so that no list of names outlives it.
bool runFileDialog(QFileDialog &dialog, QString &path);

// Qt's dialogs show a file name that is not UTF-8 with U+FFFD for each byte
// that is not, and give it so: it then reaches no file, or another one. Why
// `path`, as a dialog gave it, cannot be used; empty when it can.
QString dialogNameRefusal(const QString &path);

// The open and save dialogs of File. They are kept, so the save dialog
// offers the name last chosen in it and both remember their folder.
class FileDialogs : public QObject
{
    Q_OBJECT

public:
    explicit FileDialogs(QWidget *owner);

    // The chosen path; false when the user cancelled.
    bool chooseOpenPath(QString &path);
    bool chooseSavePath(QString &path);

    QFileDialog *openDialog = nullptr;
    QFileDialog *saveDialog = nullptr;
};
