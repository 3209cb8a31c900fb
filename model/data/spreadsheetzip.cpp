#include "data/spreadsheetzip.h"

#include <zip.h>

namespace {

const QString passwordProblem =
    QStringLiteral("the workbook is protected by a password; save it without one to read it here");

QString damaged(const QString &what)
{
    return QStringLiteral("the workbook is damaged (%1)").arg(what);
}

} // namespace

SpreadsheetZip::SpreadsheetZip(const QByteArray &bytes, qint64 expandedLimit)
{
    m_state.bytesLeft = expandedLimit;
    m_state.limit = expandedLimit;
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t *source =
        zip_source_buffer_create(bytes.constData(), zip_uint64_t(bytes.size()), 0, &error);
    if (source)
        m_archive = zip_open_from_source(source, ZIP_RDONLY, &error);
    if (!m_archive) {
        m_state.problem.text = damaged(QString::fromLocal8Bit(zip_error_strerror(&error)));
        zip_source_free(source);
    }
    zip_error_fini(&error);
}

SpreadsheetZip::~SpreadsheetZip()
{
    if (m_archive)
        zip_discard(m_archive);
}

bool SpreadsheetZip::contains(const QString &name) const
{
    return m_archive && zip_name_locate(m_archive, name.toUtf8().constData(), ZIP_FL_NOCASE) >= 0;
}

std::unique_ptr<ZipEntryDevice> SpreadsheetZip::open(const QString &name)
{
    if (!m_archive || !m_state.problem.isEmpty())
        return nullptr;
    const QByteArray utf8 = name.toUtf8();
    zip_stat_t stat;
    zip_stat_init(&stat);
    if (zip_stat(m_archive, utf8.constData(), ZIP_FL_NOCASE, &stat) != 0)
        return nullptr;
    if ((stat.valid & ZIP_STAT_ENCRYPTION_METHOD) && stat.encryption_method != ZIP_EM_NONE) {
        m_state.problem.text = passwordProblem;
        return nullptr;
    }
    zip_file_t *file = zip_fopen(m_archive, utf8.constData(), ZIP_FL_NOCASE);
    if (!file) {
        zip_error_t *error = zip_get_error(m_archive);
        const int code = zip_error_code_zip(error);
        m_state.problem.text = code == ZIP_ER_NOPASSWD || code == ZIP_ER_WRONGPASSWD
                                   ? passwordProblem
                                   : damaged(QStringLiteral("%1: %2").arg(
                                         name, QString::fromLocal8Bit(zip_error_strerror(error))));
        return nullptr;
    }
    return std::make_unique<ZipEntryDevice>(file, name, &m_state);
}
