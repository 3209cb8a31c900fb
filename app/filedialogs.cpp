#include "filedialogs.h"

#include <QFileDialog>

namespace {

bool runDialog(QFileDialog *dialog, QString &path)
{
    if (dialog->exec() != QDialog::Accepted)
        return false;
    const QStringList chosen = dialog->selectedFiles();
    if (chosen.isEmpty())
        return false;
    path = chosen.first();
    return true;
}

} // namespace

FileDialogs::FileDialogs(QWidget *owner) : QObject(owner)
{
    OpenDialog1 = new QFileDialog(owner);
    OpenDialog1->setObjectName(QStringLiteral("OpenDialog1"));
    OpenDialog1->setAcceptMode(QFileDialog::AcceptOpen);
    OpenDialog1->setFileMode(QFileDialog::ExistingFile);

    SaveDialog1 = new QFileDialog(owner, QStringLiteral("Save Paginette file"));
    SaveDialog1->setObjectName(QStringLiteral("SaveDialog1"));
    SaveDialog1->setAcceptMode(QFileDialog::AcceptSave);
    SaveDialog1->setFileMode(QFileDialog::AnyFile);
    SaveDialog1->setDefaultSuffix(QStringLiteral("pgt"));
    SaveDialog1->setOption(QFileDialog::DontConfirmOverwrite);
    SaveDialog1->selectFile(QStringLiteral("number"));
}

bool FileDialogs::chooseOpenPath(QString &path)
{
    return runDialog(OpenDialog1, path);
}

bool FileDialogs::chooseSavePath(QString &path)
{
    if (!runDialog(SaveDialog1, path))
        return false;
    SaveDialog1->selectFile(path);
    return true;
}
