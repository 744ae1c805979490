#pragma once

#include "DataPacket.h"
#include "Delta.h"
#include "ModuleError.h"
#include "Param.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QVariantList>

namespace tavrel {

// The JSON bodies of the application server's calls over the network (docs/protocol.md):
// packets, parameters, changed rows, late-bound arguments and errors. Every decoder
// checks the shape it reads and throws ModuleError (kind Conversion) naming the first
// thing that is wrong, so that a malformed body never becomes a half-read value.
class WireMessages
{
public:
    // {"fields":[{"name","type","size"}…], "rows":[[…]…], "keys":[…]}; "keys" only
    // when the packet has row keys. Written as compact JSON text straight from the rows:
    // a packet may hold many thousands.
    static QByteArray writePacket(const DataPacket& packet);
    static DataPacket decodePacket(const QJsonObject& body);

    // [{"name","type","value"}…], the value spelled for its type.
    static QJsonArray encodeParams(const ParamList& params);
    static ParamList decodeParams(const QJsonValue& params);

    // [{"kind":"insert|modify|delete","key","original":{…},"values":{…}}…]
    static QJsonArray encodeDelta(const Delta& delta);
    static Delta decodeDelta(const QJsonValue& rows);

    // The arguments of a late-bound call, each value tagged with its kind.
    static QJsonArray encodeArguments(const QVariantList& args);
    static QVariantList decodeArguments(const QJsonValue& args);

    // {"error":{"kind","message"}}, and back. An unknown kind reads as a server error.
    static QJsonObject encodeError(const ModuleError& error);
    static ModuleError decodeError(const QJsonObject& body);
    // The HTTP status that carries an error of this kind.
    static int httpStatus(ModuleError::Kind kind);

    static QString typeName(FieldType type);
    // Throws the malformed-message error for an unknown name.
    static FieldType typeFromName(const QString& name);

    // A member of an object that must be present with the given JSON type.
    static QJsonValue member(const QJsonObject& object, const QString& name, QJsonValue::Type type);
};

} // namespace tavrel
