#include "outputs/systemerror.h"

#include <QDir>

#include <cstring>

QString systemError(int error)
{
    return error == 0 ? QString() : QString::fromLocal8Bit(std::strerror(error));
}

QString fileError(const QString &name, int error)
{
    return error == 0 ? QString() : QStringLiteral("%1: %2").arg(name, systemError(error));
}

QString temporaryFolderError(int error)
{
    return fileError(QDir::toNativeSeparators(QDir::tempPath()), error);
}
