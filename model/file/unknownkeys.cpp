#include "file/unknownkeys.h"

#include <algorithm>

UnknownKeys::UnknownKeys(std::initializer_list<Member> members)
{
    for (const Member &member : members)
        insert(member.first, member.second);
}

void UnknownKeys::insert(const QString &key, const QByteArray &json)
{
    // Kept in key order, so that the same keys compare equal however they came.
    const auto at = std::lower_bound(
        m_members.begin(), m_members.end(), key,
        [](const Member &member, const QString &wanted) { return member.first < wanted; });
    if (at != m_members.end() && at->first == key)
        at->second = json;
    else
        m_members.insert(at, {key, json});
}

void UnknownKeys::remove(const QString &key)
{
    m_members.removeIf([&key](const Member &member) { return member.first == key; });
}
