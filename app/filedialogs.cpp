#include "filedialogs.h"

#include "filenames.h"
#include "guarded.h"

#include <QCompleter>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>

#include <dirent.h>

namespace {

// Qt's name box completes names from a folder it reads in the background and
// brings up their list whenever the folder arrives, even when the dialog has
// closed by then; over the main window that list would take the next key and
// click. So the box has its completer only while the dialog runs; taking it
// away hides the list and stops it coming back.
class NameCompletion
{
public:
    explicit NameCompletion(const QFileDialog &dialog)
        : m_name(dialog.findChild<QLineEdit *>(QStringLiteral("fileNameEdit")))
    {
        // The dialog owns its completer, so the box can give it up and take it back.
        if (m_name)
            m_name->setCompleter(
                dialog.findChild<QCompleter *>(QString(), Qt::FindDirectChildrenOnly));
    }
    ~NameCompletion()
    {
        if (m_name)
            m_name->setCompleter(nullptr);
    }
    NameCompletion(const NameCompletion &) = delete;
    NameCompletion &operator=(const NameCompletion &) = delete;

private:
    QLineEdit *m_name;
};

// Whether the folder `folder` holds a name that is not UTF-8 and that Qt
// reads as `shown`.
bool holdsNameShownAs(const QString &folder, const QString &shown)
{
    DIR *dir = ::opendir(nativeFileName(folder).constData());
    if (!dir)
        return false;
    bool found = false;
    while (const dirent *entry = ::readdir(dir)) {
        if (holdsNonUtf8(fileNameFromNative(entry->d_name)) &&
            QFile::decodeName(entry->d_name) == shown) {
            found = true;
            break;
        }
    }
    ::closedir(dir);
    return found;
}

} // namespace

bool runFileDialog(QFileDialog &dialog, QString &path)
{
    {
        const NameCompletion completion(dialog);
        if (dialog.exec() != QDialog::Accepted)
            return false;
    }
    const QStringList chosen = dialog.selectedFiles();
    if (chosen.isEmpty())
        return false;
    const QString refusal = dialogNameRefusal(chosen.first());
    if (!refusal.isEmpty()) {
        reportError(refusal);
        return false;
    }
    path = chosen.first();
    return true;
}

QString dialogNameRefusal(const QString &path)
{
    if (!path.contains(QChar::ReplacementCharacter))
        return {};
    // Each part of the path that shows U+FFFD may be such a name.
    const QStringList parts = path.split(u'/');
    QString folder = path.startsWith(u'/') ? QStringLiteral("/") : QStringLiteral(".");
    for (const QString &part : parts) {
        if (part.contains(QChar::ReplacementCharacter) && holdsNameShownAs(folder, part))
            return QStringLiteral("%1: the name is not UTF-8, and a file dialog cannot pass such "
                                  "a name on. Rename the file to use it here.")
                .arg(path);
        if (!part.isEmpty())
            folder = QDir(folder).filePath(part);
    }
    return {};
}

FileDialogs::FileDialogs(QWidget *owner) : QObject(owner)
{
    openDialog = new QFileDialog(owner);
    openDialog->setObjectName(QStringLiteral("openDialog"));
    openDialog->setAcceptMode(QFileDialog::AcceptOpen);
    openDialog->setFileMode(QFileDialog::ExistingFile);

    saveDialog = new QFileDialog(owner, QStringLiteral("Save Paginette file"));
    saveDialog->setObjectName(QStringLiteral("saveDialog"));
    saveDialog->setAcceptMode(QFileDialog::AcceptSave);
    saveDialog->setFileMode(QFileDialog::AnyFile);
    saveDialog->setDefaultSuffix(QStringLiteral("pgt"));
    saveDialog->setOption(QFileDialog::DontConfirmOverwrite);
    saveDialog->selectFile(QStringLiteral("number"));
}

bool FileDialogs::chooseOpenPath(QString &path)
{
    return runFileDialog(*openDialog, path);
}

bool FileDialogs::chooseSavePath(QString &path)
{
    if (!runFileDialog(*saveDialog, path))
        return false;
    saveDialog->selectFile(path);
    return true;
}
