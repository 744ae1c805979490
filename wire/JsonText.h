#pragma once

#include <QByteArray>
#include <QJsonValue>
#include <QStringView>

namespace tavrel {

// JSON text written straight into a buffer, for the messages that are too large to build
// as a QJsonDocument first (a packet of many rows). What it writes reads back through
// QJsonDocument as the same values QJsonDocument itself would have written.
class JsonText
{
public:
    // A JSON string: quotes, backslashes and control characters escaped, the rest UTF-8.
    static void appendString(QByteArray& out, QStringView text);
    // A value that is not an array or an object; numbers as QJsonDocument writes them
    // (integers whole, doubles in the shortest form that reads back the same).
    static void appendScalar(QByteArray& out, const QJsonValue& value);
};

} // namespace tavrel
