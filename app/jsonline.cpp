#include "jsonline.h"

#include <cmath>

namespace
{

const char kHexDigits[] = "0123456789abcdef";
constexpr unsigned char kFirstPrintable = 0x20;
const QByteArray kNull = QByteArrayLiteral("null");

} // namespace

QByteArray jsonString(const QString &value)
{
    const QByteArray utf8 = value.toUtf8();
    QByteArray quoted;
    quoted.reserve(utf8.size() + 2);
    quoted += '"';
    for (const char c : utf8) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            quoted += '\\';
            quoted += c;
        } else if (c == '\n') {
            quoted += "\\n";
        } else if (byte < kFirstPrintable || byte == 0x7f) {
            quoted += "\\u00";
            quoted += kHexDigits[byte >> 4];
            quoted += kHexDigits[byte & 0xf];
        } else {
            quoted += c;
        }
    }
    quoted += '"';
    return quoted;
}

JsonLine &JsonLine::addString(const char *key, const QString &value)
{
    return addRaw(key, jsonString(value));
}

JsonLine &JsonLine::addInt(const char *key, qint64 value)
{
    return addRaw(key, QByteArray::number(value));
}

JsonLine &JsonLine::addNumber(const char *key, double value, int decimals)
{
    return addRaw(key, std::isfinite(value) ? QByteArray::number(value, 'f', decimals) : kNull);
}

JsonLine &JsonLine::addPrintedNumber(const char *key, const std::string &text, double value)
{
    return addRaw(key, std::isfinite(value) ? QByteArray::fromStdString(text) : kNull);
}

JsonLine &JsonLine::addBool(const char *key, bool value)
{
    return addRaw(key, value ? QByteArrayLiteral("true") : QByteArrayLiteral("false"));
}

JsonLine &JsonLine::addObjects(const char *key, const QList<JsonLine> &objects)
{
    QByteArray array = "[";
    for (const JsonLine &object : objects) {
        if (array.size() > 1)
            array += ',';
        array += object.text();
    }
    return addRaw(key, array + ']');
}

JsonLine &JsonLine::append(const JsonLine &line)
{
    if (!line.members.isEmpty()) {
        if (!members.isEmpty())
            members += ',';
        members += line.members;
    }
    return *this;
}

QByteArray JsonLine::text() const
{
    return '{' + members + '}';
}

JsonLine &JsonLine::addRaw(const char *key, const QByteArray &json)
{
    if (!members.isEmpty())
        members += ',';
    members += jsonString(QLatin1String(key));
    members += ':';
    members += json;
    return *this;
}
