#pragma once

#include "FieldType.h"

#include <QDateTime>
#include <QHash>
#include <QJsonValue>
#include <QVariant>

namespace tavrel {

// How one value travels between a desk and the application server in the JSON wire
// format. Values must come back exactly as they left: null apart from empty text,
// 16-bit, 32-bit and 64-bit integers apart, doubles bit for bit, date-times to the
// millisecond, blobs byte for byte.
//
// Two spellings:
// - typed, when the receiver knows the value's FieldType (the cells of a packet, the
//   value of a parameter): the plain JSON value, null for null;
// - tagged, when it does not (the arguments of a late-bound call, the values of a
//   changed row): text, booleans, null and lists are plain JSON, every other kind is
//   an object with one member naming it: {"i16":5}, {"i32":5}, {"i64":5}, {"f64":0.5},
//   {"ts":"2026-12-06T15:00:00.250Z"}, {"date":"2026-12-06"}, {"b64":"AAE="}.
//
// Date-times travel in UTC and arrive in the receiver's local time; one whose UTC date
// would have five digits or none (9999-12-31 late in the evening west of Greenwich)
// travels with the sender's offset instead, and one that neither form can write is
// refused by the encoder and the decoder alike. Doubles travel as
// JSON numbers in their shortest exact form; minus zero and the non-finite values,
// which JSON has no number for, travel as the texts "-0", "NaN", "Infinity" and
// "-Infinity".
//
// Decoding throws ModuleError (kind Conversion) naming what was wrong.
class WireValue
{
public:
    static QJsonValue encodeTyped(const QVariant& value, FieldType type);
    // The same as JSON text, appended to `out`.
    static void writeTyped(QByteArray& out, const QVariant& value, FieldType type);
    static QVariant decodeTyped(const QJsonValue& value, FieldType type);

    // Throws ModuleError (Conversion) for a kind of value the wire cannot carry.
    static QJsonValue encodeTagged(const QVariant& value);
    static QVariant decodeTagged(const QJsonValue& value);

    // While one lives on a thread, the date-times decoded there are remembered by their
    // text: reading one costs the general parser and two look-ups of the time zone, and a
    // packet's column of stamps repeats a few texts. The decoder of a whole message opens
    // one, so that what it remembers goes with the message: a server decodes messages on
    // many threads for months. Scopes opened inside another share the outer one's texts.
    class ReadScope
    {
    public:
        ReadScope();
        ~ReadScope();
        ReadScope(const ReadScope&) = delete;
        ReadScope& operator=(const ReadScope&) = delete;

    private:
        QHash<QString, QDateTime> m_read;
        bool m_outer = false;
    };

    // The error every decoder throws for a malformed message: ModuleError (Conversion).
    [[noreturn]] static void malformed(const QString& what);
    // A short rendering of a JSON value for those messages.
    static QString describe(const QJsonValue& value);
};

} // namespace tavrel
