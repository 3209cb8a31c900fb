#include "commands/picturecommands.h"

#include "filedialogs.h"
#include "filenames.h"
#include "objecttable.h"
#include "pagetool.h"
#include "pictures/picturedrawing.h"

#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>

namespace {

const QString caption = QStringLiteral("Place Picture");

} // namespace

PictureCommands::PictureCommands(const AppContext &context, const PageTool &tool, QWidget *parent)
    : Commands(parent), m_context(context), m_parent(parent)
{
    // Asked after the press: the file dialog does not run inside it.
    connect(
        &tool, &PageTool::fileRequested, this,
        [this](std::int32_t kind, std::int32_t x, std::int32_t y) {
            if (kind == KindPicture)
                placeAt(x, y);
        },
        Qt::QueuedConnection);
}

CommandRows PictureCommands::rows() const
{
    // Place Picture is a mode among the others.
    return {};
}

bool PictureCommands::chooseFile(QString &path, QByteArray &bytes)
{
    if (!m_fileDialog) {
        m_fileDialog = new QFileDialog(m_parent, caption);
        m_fileDialog->setObjectName(QStringLiteral("pictureDialog"));
        m_fileDialog->setFileMode(QFileDialog::ExistingFile);
        m_fileDialog->setNameFilters({QStringLiteral("Pictures (*.png *.jpg *.jpeg *.svg *.pdf)"),
                                      QStringLiteral("All files (*)")});
    }
    if (!runFileDialog(*m_fileDialog, path))
        return false;
    const QString name = QFileInfo(path).fileName();
    QFile file;
    const QString error = openForReading(file, path);
    if (!error.isEmpty()) {
        m_context.feedback.tell(name + QStringLiteral(": ") + error, caption);
        return false;
    }
    if (file.size() > maxPictureBytes) {
        m_context.feedback.tell(
            QStringLiteral("%1 is larger than 16 MB, the most a document takes").arg(name),
            caption);
        return false;
    }
    bytes = file.readAll();
    return true;
}

void PictureCommands::placeAt(std::int32_t x, std::int32_t y)
{
    QString path;
    QByteArray bytes;
    if (!chooseFile(path, bytes))
        return;
    const QString name = QFileInfo(path).fileName();
    Outcome<PictureFile> picture = readPictureFile(bytes, 1);
    std::int32_t page = 1;
    if (picture && picture->pages > 1) {
        bool chosen = false;
        page = QInputDialog::getInt(
            m_parent, caption,
            QStringLiteral("Page of %1 (1 to %2):").arg(name).arg(picture->pages), 1, 1,
            picture->pages, 1, &chosen);
        if (!chosen)
            return;
        picture = readPictureFile(bytes, page);
    }
    if (!picture) {
        m_context.feedback.tell(name + u' ' + picture.error, caption);
        return;
    }
    const QSizeF size = picture->size;
    const Side side = shownSide(m_context.editor.document(), m_context.view);
    const bool placed = m_context.editor.edit(caption, [&](Document &doc) {
        const std::optional<int> index = placePicture(doc, x, y, bytes, name, page, size);
        if (index)
            putOnSide(doc, *index, side);
        return index.has_value();
    });
    if (!placed)
        m_context.feedback.sound();
    else if (picture->externalReferences > 0)
        m_context.feedback.tell(
            QStringLiteral("%1 refers to %2 outside it, not shown: a picture draws only what it "
                           "holds.")
                .arg(
                    name,
                    picture->externalReferences == 1
                        ? QStringLiteral("a file or address")
                        : QStringLiteral("%1 files or addresses").arg(picture->externalReferences)),
            caption);
}
