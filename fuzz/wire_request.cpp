// The bodies the application server's daemon decodes: JSON to packets, parameters,
// changed rows, late-bound arguments, errors and single values.
//
// Whatever decodes must encode and decode again to the same thing, and whatever does
// not decode must be refused with a conversion error, never another failure.

#include "FuzzCheck.h"
#include "WireMessages.h"
#include "WireValue.h"

#include <QJsonDocument>
#include <cmath>
#include <optional>

using tavrel::FieldType;
using tavrel::ModuleError;
using tavrel::WireMessages;
using tavrel::WireValue;

namespace {

constexpr FieldType AllTypes[] = {FieldType::String,   FieldType::FixedChar, FieldType::SmallInt,
                                  FieldType::Integer,  FieldType::LargeInt,  FieldType::Float,
                                  FieldType::DateTime, FieldType::Blob,      FieldType::Boolean};

QString shown(const QJsonValue& value)
{
    if (value.isObject())
        return QString::fromUtf8(QJsonDocument(value.toObject()).toJson(QJsonDocument::Compact));
    if (value.isArray())
        return QString::fromUtf8(QJsonDocument(value.toArray()).toJson(QJsonDocument::Compact));
    return WireValue::describe(value);
}

// The decoded value, or nothing when the decoder refused the input as it must.
template <class Decode> auto decoded(Decode decode, const QJsonValue& input)
    -> std::optional<decltype(decode(input))>
{
    try {
        return decode(input);
    } catch (const ModuleError& error) {
        FUZZ_CHECK(error.kind() == ModuleError::Kind::Conversion, error.message());
        FUZZ_CHECK(!error.message().isEmpty(), shown(input));
        return std::nullopt;
    }
}

// decode, encode, decode and encode again: the second decoding must succeed and the
// two encodings agree.
template <class Decode, class Encode>
void roundTrip(const char* what, Decode decode, Encode encode, const QJsonValue& input)
{
    const auto first = decoded(decode, input);
    if (!first)
        return;
    const QJsonValue written = encode(*first);
    std::optional<decltype(decode(input))> second;
    try {
        second = decode(written);
    } catch (const ModuleError& error) {
        fuzz::fail(__FILE__, __LINE__, what,
                   shown(input) + QStringLiteral(" -> ") + shown(written) +
                       QStringLiteral(" refused: ") + error.message());
    }
    const QJsonValue again = encode(*second);
    FUZZ_CHECK(again == written, QLatin1String(what) + QStringLiteral(": ") + shown(input) +
                                     QStringLiteral(" -> ") + shown(written) +
                                     QStringLiteral(" -> ") + shown(again));
}

bool sameValue(const QVariant& a, const QVariant& b)
{
    if (a.typeId() == QMetaType::Double && b.typeId() == QMetaType::Double) {
        const double x = a.toDouble(), y = b.toDouble();
        return (std::isnan(x) && std::isnan(y)) ||
               (x == y && std::signbit(x) == std::signbit(y));
    }
    return a.typeId() == b.typeId() && a == b;
}

void checkValue(const QJsonValue& input)
{
    for (FieldType type : AllTypes) {
        const auto value =
            decoded([type](const QJsonValue& j) { return WireValue::decodeTyped(j, type); }, input);
        if (!value)
            continue;
        const QVariant back = WireValue::decodeTyped(WireValue::encodeTyped(*value, type), type);
        FUZZ_CHECK(sameValue(back, *value),
                   shown(input) + QStringLiteral(" as ") + WireMessages::typeName(type));
    }
    const auto tagged = decoded([](const QJsonValue& j) { return WireValue::decodeTagged(j); }, input);
    if (tagged) {
        const QVariant back = WireValue::decodeTagged(WireValue::encodeTagged(*tagged));
        if (tagged->typeId() != QMetaType::QVariantList)
            FUZZ_CHECK(sameValue(back, *tagged), shown(input));
    }
}

void checkBody(const QJsonValue& body)
{
    roundTrip(
        "params", [](const QJsonValue& j) { return WireMessages::decodeParams(j); },
        [](const tavrel::ParamList& p) { return QJsonValue(WireMessages::encodeParams(p)); }, body);
    roundTrip(
        "delta", [](const QJsonValue& j) { return WireMessages::decodeDelta(j); },
        [](const tavrel::Delta& d) { return QJsonValue(WireMessages::encodeDelta(d)); }, body);
    roundTrip(
        "arguments", [](const QJsonValue& j) { return WireMessages::decodeArguments(j); },
        [](const QVariantList& a) { return QJsonValue(WireMessages::encodeArguments(a)); }, body);
    if (body.isObject()) {
        roundTrip(
            "packet", [](const QJsonValue& j) { return WireMessages::decodePacket(j.toObject()); },
            [](const tavrel::DataPacket& p) {
                return QJsonValue(QJsonDocument::fromJson(WireMessages::writePacket(p)).object());
            },
            body);
        const auto error =
            decoded([](const QJsonValue& j) { return WireMessages::decodeError(j.toObject()); }, body);
        if (error) {
            const ModuleError back = WireMessages::decodeError(WireMessages::encodeError(*error));
            FUZZ_CHECK(back.kind() == error->kind() && back.message() == error->message(),
                       shown(body));
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &parseError);
    if (document.isNull())
        return 0;
    const QJsonValue body = document.isObject() ? QJsonValue(document.object())
                                                : QJsonValue(document.array());
    checkBody(body);
    // A request carries its parts as members; every member is tried as every part,
    // and the members' and items' own values as single values.
    const QJsonArray items = document.isObject() ? QJsonArray() : document.array();
    const QJsonObject members = document.isObject() ? document.object() : QJsonObject();
    for (const QJsonValue& member : members) {
        checkBody(member);
        checkValue(member);
    }
    for (const QJsonValue& item : items)
        checkValue(item);
    return 0;
}
