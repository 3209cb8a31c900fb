#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QJsonValue>
#include <QList>
#include <QString>

#include <optional>
#include <utility>

// JSON as text: the members of an object as they stand in a file, and
// objects written from members whose values are already text, so that a
// value read goes back out exactly as it came.

using JsonMembers = QList<std::pair<QString, QByteArray>>;

// The members of the JSON object `json`, each key with its value's text as
// it stands (blanks around it left out). Nothing when `json` is not one
// object.
std::optional<JsonMembers> objectMembers(QByteArrayView json);

// `value` as compact JSON text, as QJsonDocument writes it inside an object.
QByteArray jsonText(const QJsonValue &value);

// The compact JSON object of `members`, whose values are JSON text, keys in
// the order QJsonObject keeps them. A key given twice keeps its last value.
QByteArray objectText(const JsonMembers &members);
