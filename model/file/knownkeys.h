#pragma once

#include "file/jsontext.h"
#include "file/unknownkeys.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QJsonObject>
#include <QJsonValue>
#include <QLatin1StringView>

#include <algorithm>
#include <optional>
#include <span>

// The keys a JSON object of a document holds, read into a value of type
// Target and written back from it, one row a key: a key this version knows
// is read with its checks, every other key is kept in the value's
// unknownKeys exactly as it came and written back so. Adding a key is adding
// a row.
template <typename Target> struct KnownKey
{
    QLatin1StringView name;
    // Reads the key's value (parsed, and its text as it stands) into the
    // target; false on a value of the wrong type or out of range. Reading
    // the same value twice gives what reading it once does.
    bool (*read)(const QJsonValue &value, QByteArrayView text, Target &target);
    // The value's JSON text, or nothing when the key is left out (it holds
    // its default).
    std::optional<QByteArray> (*write)(const Target &target);
    // An object without the key is damaged.
    bool required = false;
};

// Reads the JSON object `value`, whose text is `text`, into `target` through
// `keys`. False when it is no object, lacks a required key or holds a known
// key whose value fails its checks.
template <typename Target>
bool readKnownKeys(const QJsonValue &value, QByteArrayView text,
                   std::span<const KnownKey<Target>> keys, Target &target)
{
    const std::optional<JsonMembers> members = objectMembers(text);
    if (!value.isObject() || !members)
        return false;
    const QJsonObject object = value.toObject();
    const bool complete = std::all_of(keys.begin(), keys.end(), [&object](const auto &key) {
        return !key.required || object.contains(key.name);
    });
    if (!complete)
        return false;
    for (const JsonMembers::value_type &member : *members) {
        const QString &name = member.first;
        const auto key = std::find_if(keys.begin(), keys.end(),
                                      [&name](const auto &known) { return name == known.name; });
        if (key == keys.end())
            target.unknownKeys.insert(name, member.second);
        else if (!key->read(object.value(name), member.second, target))
            return false;
    }
    return true;
}

// The members `target` is written as: its unknown keys that no known key
// names, then every known key not left out.
template <typename Target>
JsonMembers knownKeyMembers(const Target &target, std::span<const KnownKey<Target>> keys)
{
    JsonMembers members;
    for (const UnknownKeys::Member &member : target.unknownKeys.members()) {
        const bool known = std::any_of(keys.begin(), keys.end(), [&member](const auto &key) {
            return member.first == key.name;
        });
        if (!known)
            members.append(member);
    }
    for (const KnownKey<Target> &key : keys) {
        if (std::optional<QByteArray> json = key.write(target))
            members.append({key.name, std::move(*json)});
    }
    return members;
}
