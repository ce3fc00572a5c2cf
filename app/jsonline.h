#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <string>

// One JSON object on one line, its members in the order they are added, for
// the event journal: keys are plain ASCII names given by the code; string
// values are escaped as JSON asks, and a number that is not finite becomes
// null, which JSON has instead.
class JsonLine
{
public:
    JsonLine &addString(const char *key, const QString &value);
    JsonLine &addInt(const char *key, qint64 value);
    // value with this many digits after the point.
    JsonLine &addNumber(const char *key, double value, int decimals);
    // A number as the client's lines print it (printed()'s text).
    JsonLine &addPrintedNumber(const char *key, const std::string &text, double value);
    JsonLine &addBool(const char *key, bool value);
    // An array of the objects, in order.
    JsonLine &addObjects(const char *key, const QList<JsonLine> &objects);
    // The members of line, after these.
    JsonLine &append(const JsonLine &line);

    // The object: {"key":value,...}, without a newline.
    QByteArray text() const;

private:
    JsonLine &addRaw(const char *key, const QByteArray &json);

    QByteArray members; // "key":value pairs joined by commas
};

// value as a JSON string, quotes included.
QByteArray jsonString(const QString &value);
