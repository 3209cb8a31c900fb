#include "pdfstamp.h"

#include "qpdfpages.h"

#include <QFile>
#include <QIODevice>

QString stampPdfPages(const QString &runPdf, QIODevice &output,
                      const std::vector<PdfPlacement> &placements, const PictureStore &pictures)
{
    std::vector<qpdfpages::Placement> placed;
    placed.reserve(placements.size());
    for (const PdfPlacement &placement : placements)
        placed.push_back({placement.sheet, placement.id.toStdString(), placement.page,
                          placement.rect.left(), placement.rect.top(), placement.rect.width(),
                          placement.rect.height()});
    const std::string error = qpdfpages::stamp(
        QFile::encodeName(runPdf).toStdString(), placed,
        [&pictures](const std::string &id) {
            return pictures.bytes(QString::fromStdString(id)).toStdString();
        },
        [&output](const char *data, std::size_t length) { output.write(data, qint64(length)); });
    return QString::fromLocal8Bit(error.c_str());
}
