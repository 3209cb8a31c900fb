#include "jobid.h"

#include <QUuid>

QString jobId(const QString &id)
{
    const QUuid uuid = QUuid::fromString(id);
    return uuid.isNull() ? id : uuid.toString(QUuid::WithoutBraces);
}
