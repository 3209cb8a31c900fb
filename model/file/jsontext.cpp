#include "file/jsontext.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <map>

namespace {

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

// Reads JSON text that QJsonDocument has found well formed, one value at a
// time; every step stays within the text whatever it holds.
class JsonScanner
{
public:
    explicit JsonScanner(QByteArrayView text) : m_text(text) {}

    bool atEnd() const { return m_at >= m_text.size(); }
    char peek() const { return atEnd() ? '\0' : m_text[m_at]; }
    bool take(char c)
    {
        skipBlanks();
        if (peek() != c)
            return false;
        ++m_at;
        return true;
    }

    void skipBlanks()
    {
        while (!atEnd() && isBlank(m_text[m_at]))
            ++m_at;
    }

    // The text of the string that starts here, quotes included.
    QByteArrayView string()
    {
        skipBlanks();
        const qsizetype begin = m_at;
        if (peek() != '"')
            return {};
        for (++m_at; !atEnd() && m_text[m_at] != '"'; ++m_at) {
            if (m_text[m_at] == '\\')
                ++m_at;
        }
        m_at = std::min(m_at + 1, m_text.size());
        return m_text.sliced(begin, m_at - begin);
    }

    // The text of the value that starts here.
    QByteArrayView value()
    {
        skipBlanks();
        const qsizetype begin = m_at;
        int depth = 0;
        while (!atEnd()) {
            const char c = m_text[m_at];
            if (c == '"') {
                string();
                if (depth == 0)
                    break;
            } else if (c == '{' || c == '[') {
                ++depth;
                ++m_at;
            } else if (c == '}' || c == ']') {
                if (depth == 0)
                    break;
                ++m_at;
                if (--depth == 0)
                    break;
            } else if (depth == 0 && (c == ',' || isBlank(c))) {
                break;
            } else {
                ++m_at;
            }
        }
        return m_text.sliced(begin, m_at - begin);
    }

private:
    QByteArrayView m_text;
    qsizetype m_at = 0;
};

// The text of a JSON string read as its characters.
std::optional<QString> stringOf(QByteArrayView text)
{
    const QJsonDocument wrapped = QJsonDocument::fromJson("[" + text.toByteArray() + "]");
    if (!wrapped.isArray() || wrapped.array().size() != 1 || !wrapped.array().at(0).isString())
        return std::nullopt;
    return wrapped.array().at(0).toString();
}

} // namespace

std::optional<JsonMembers> objectMembers(QByteArrayView json)
{
    if (!QJsonDocument::fromJson(json.toByteArray()).isObject())
        return std::nullopt;
    JsonScanner scanner(json);
    JsonMembers members;
    if (!scanner.take('{'))
        return std::nullopt;
    if (scanner.take('}'))
        return members;
    do {
        const std::optional<QString> key = stringOf(scanner.string());
        if (!key || !scanner.take(':'))
            return std::nullopt;
        members.append({*key, scanner.value().toByteArray()});
    } while (scanner.take(','));
    if (!scanner.take('}'))
        return std::nullopt;
    return members;
}

QByteArray jsonText(const QJsonValue &value)
{
    // Qt writes documents, not values: the value is written inside an array.
    return QJsonDocument(QJsonArray{value}).toJson(QJsonDocument::Compact).chopped(1).sliced(1);
}

QByteArray objectText(const JsonMembers &members)
{
    std::map<QString, QByteArray> values;
    QJsonObject order;
    for (const auto &[key, text] : members) {
        values[key] = text;
        order.insert(key, QJsonValue());
    }
    QByteArray text = "{";
    for (const QString &key : order.keys()) {
        if (text.size() > 1)
            text += ',';
        text += jsonText(key) + ':' + values[key];
    }
    return text + '}';
}
