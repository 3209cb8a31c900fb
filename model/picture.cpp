#include "picture.h"

#include <QCryptographicHash>

#include <algorithm>

QString pictureId(const QByteArray &bytes)
{
    return QString::fromLatin1(
        QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex().left(32));
}

QString PictureStore::add(const QByteArray &bytes)
{
    const QString id = pictureId(bytes);
    m_pictures.emplace(id, bytes);
    return id;
}

QByteArray PictureStore::bytes(const QString &id) const
{
    const auto found = m_pictures.find(id);
    return found == m_pictures.end() ? QByteArray() : found->second;
}

bool PictureStore::operator==(const PictureStore &other) const
{
    return m_pictures.size() == other.m_pictures.size() &&
           std::equal(m_pictures.begin(), m_pictures.end(), other.m_pictures.begin(),
                      [](const auto &a, const auto &b) { return a.first == b.first; });
}
