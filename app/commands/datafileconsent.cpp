#include "commands/datafileconsent.h"

#include "guarded.h"
#include "log/printlog.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QSettings>

namespace {

// One key for a document and a file, whatever characters their paths hold:
// QSettings would read a slash in a key as a group.
QString consentKey(const QString &document, const QString &dataFile)
{
    const QByteArray both = (logDocumentKey(document) + u'\n' + dataFile).toUtf8();
    return QStringLiteral("DataFilesRead/") +
           QString::fromLatin1(QCryptographicHash::hash(both, QCryptographicHash::Sha256).toHex());
}

} // namespace

DataFileConsent::DataFileConsent(QString path) : m_path(std::move(path)) {}

bool DataFileConsent::given(const QString &document, const QString &dataFile) const
{
    return QSettings(m_path, QSettings::IniFormat)
               .value(consentKey(document, dataFile))
               .toString() == dataFile;
}

QString DataFileConsent::give(const QString &document, const QString &dataFile) const
{
    if (!QDir().mkpath(QFileInfo(m_path).absolutePath()))
        return QStringLiteral("%1: the folder cannot be made").arg(m_path);
    QSettings settings(m_path, QSettings::IniFormat);
    settings.setValue(consentKey(document, dataFile), dataFile);
    // QSettings writes a whole new file and puts it in place.
    settings.sync();
    if (settings.status() != QSettings::NoError)
        return QStringLiteral("%1: the answer could not be kept").arg(m_path);
    return {};
}

bool askToReadDataOutside(const Feedback &feedback, const QString &document,
                          const QString &dataFile)
{
    const DataFileConsent consent;
    if (consent.given(document, dataFile))
        return true;
    if (!feedback.question ||
        !feedback.question(QStringLiteral("%1 reads its data from %2, outside the document's "
                                          "folder.\n\nRead that file only if you chose it for "
                                          "this document: a document from elsewhere can name "
                                          "any file of this computer.")
                               .arg(QFileInfo(document).fileName(), dataFile),
                           QStringLiteral("Data Source")))
        return false;
    const QString unkept = consent.give(document, dataFile);
    if (!unkept.isEmpty())
        reportError(unkept);
    return true;
}
