#pragma once

#include <QObject>
#include <QString>

class QFileDialog;
class QWidget;

// Runs one of the program's file dialogs and gives the path chosen; false
// when the user cancelled. Its name box completes names only while it runs,
// so that no list of names outlives it.
bool runFileDialog(QFileDialog &dialog, QString &path);

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
