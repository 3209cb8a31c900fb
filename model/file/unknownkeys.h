#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <initializer_list>
#include <utility>

// What a document said that this version does not know: each key with the
// JSON text of its value exactly as it was read, so that the value goes back
// out unchanged (12345678901234567890, -0 and 1.0 stay as they were).
class UnknownKeys
{
public:
    using Member = std::pair<QString, QByteArray>;

    UnknownKeys() = default;
    UnknownKeys(std::initializer_list<Member> members);

    // Sets `key` to the JSON text `json`, in place of what it held.
    void insert(const QString &key, const QByteArray &json);
    void remove(const QString &key);
    bool isEmpty() const { return m_members.isEmpty(); }
    // In the order of their keys.
    const QList<Member> &members() const { return m_members; }

    bool operator==(const UnknownKeys &) const = default;

private:
    QList<Member> m_members;
};
