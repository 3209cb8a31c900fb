#include "unknownkeys.h"

#include <algorithm>

UnknownKeys::UnknownKeys(std::initializer_list<Member> members)
{
    for (const Member &member : members)
        insert(member.first, member.second);
}

void UnknownKeys::insert(const QString &key, const QByteArray &json)
{
    remove(key);
    m_members.append({key, json});
}

void UnknownKeys::remove(const QString &key)
{
    m_members.removeIf([&key](const Member &member) { return member.first == key; });
}
