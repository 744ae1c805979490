#include "WireMessages.h"

#include "JsonText.h"
#include "WireValue.h"

#include <array>
#include <utility>

namespace tavrel {

namespace {

constexpr std::array<std::pair<FieldType, const char*>, 9> TypeNames{{
    {FieldType::String, "string"},
    {FieldType::FixedChar, "fixedchar"},
    {FieldType::SmallInt, "smallint"},
    {FieldType::Integer, "integer"},
    {FieldType::LargeInt, "largeint"},
    {FieldType::Float, "float"},
    {FieldType::DateTime, "datetime"},
    {FieldType::Blob, "blob"},
    {FieldType::Boolean, "boolean"},
}};

struct KindInfo
{
    ModuleError::Kind kind;
    const char* name;
    int status;
};

// Refusals and conversions are the client's to fix (422, 400); a conflict is the
// classic 409; the database failing is the server's (500); the database out of reach
// is 503.
constexpr std::array<KindInfo, 6> Kinds{{
    {ModuleError::Kind::Refusal, "refusal", 422},
    {ModuleError::Kind::Conversion, "conversion", 400},
    {ModuleError::Kind::Server, "server", 500},
    {ModuleError::Kind::Connection, "connection", 503},
    {ModuleError::Kind::Conflict, "conflict", 409},
    {ModuleError::Kind::Abort, "abort", 422},
}};

const KindInfo& kindInfo(ModuleError::Kind kind)
{
    for (const KindInfo& info : Kinds) {
        if (info.kind == kind)
            return info;
    }
    return Kinds[2];
}

QString typeLabel(QJsonValue::Type type)
{
    switch (type) {
    case QJsonValue::String:
        return QStringLiteral("un texto");
    case QJsonValue::Double:
        return QStringLiteral("un número");
    case QJsonValue::Array:
        return QStringLiteral("una lista");
    case QJsonValue::Object:
        return QStringLiteral("un objeto");
    case QJsonValue::Bool:
        return QStringLiteral("un valor lógico");
    default:
        return QStringLiteral("un valor");
    }
}

QJsonObject objectAt(const QJsonValue& value, const QString& what)
{
    if (!value.isObject())
        WireValue::malformed(QStringLiteral("%1 debe ser un objeto").arg(what));
    return value.toObject();
}

QJsonArray arrayOf(const QJsonValue& value, const QString& what)
{
    if (!value.isArray())
        WireValue::malformed(QStringLiteral("%1 debe ser una lista").arg(what));
    return value.toArray();
}

QJsonObject encodeMap(const QVariantMap& map)
{
    QJsonObject object;
    for (auto it = map.cbegin(); it != map.cend(); ++it)
        object.insert(it.key(), WireValue::encodeTagged(it.value()));
    return object;
}

QVariantMap decodeMap(const QJsonObject& object)
{
    QVariantMap map;
    for (auto it = object.begin(); it != object.end(); ++it)
        map.insert(it.key(), WireValue::decodeTagged(it.value()));
    return map;
}

qint64 decodeKey(const QJsonValue& value)
{
    return WireValue::decodeTyped(value, FieldType::LargeInt).toLongLong();
}

} // namespace

QString WireMessages::typeName(FieldType type)
{
    for (const auto& [t, name] : TypeNames) {
        if (t == type)
            return QLatin1String(name);
    }
    return QString();
}

FieldType WireMessages::typeFromName(const QString& name)
{
    for (const auto& [t, n] : TypeNames) {
        if (name == QLatin1String(n))
            return t;
    }
    WireValue::malformed(QStringLiteral("tipo de campo desconocido '%1'").arg(name));
}

QJsonValue WireMessages::member(const QJsonObject& object, const QString& name,
                                QJsonValue::Type type)
{
    const QJsonValue value = object.value(name);
    if (value.isUndefined())
        WireValue::malformed(QStringLiteral("falta '%1'").arg(name));
    if (value.type() != type)
        WireValue::malformed(QStringLiteral("'%1' debe ser %2").arg(name, typeLabel(type)));
    return value;
}

QByteArray WireMessages::writePacket(const DataPacket& packet)
{
    QByteArray out;
    out.reserve(64 + packet.columns.size() * 48 + packet.rows.size() * packet.columns.size() * 12);
    out += "{\"fields\":[";
    for (qsizetype c = 0; c < packet.columns.size(); ++c) {
        const ColumnInfo& column = packet.columns[c];
        out += c ? ",{\"name\":" : "{\"name\":";
        JsonText::appendString(out, column.name);
        out += ",\"size\":";
        out += QByteArray::number(column.size);
        out += ",\"type\":";
        JsonText::appendString(out, typeName(column.type));
        out += '}';
    }
    out += "],\"rows\":[";
    for (qsizetype r = 0; r < packet.rows.size(); ++r) {
        const QVariantList& row = packet.rows[r];
        out += r ? ",[" : "[";
        for (qsizetype c = 0; c < packet.columns.size(); ++c) {
            if (c)
                out += ',';
            WireValue::writeTyped(out, row.value(c), packet.columns[c].type);
        }
        out += ']';
    }
    out += ']';
    if (!packet.rowKeys.isEmpty()) {
        out += ",\"keys\":[";
        for (qsizetype k = 0; k < packet.rowKeys.size(); ++k) {
            if (k)
                out += ',';
            out += QByteArray::number(packet.rowKeys[k]);
        }
        out += ']';
    }
    out += '}';
    return out;
}

DataPacket WireMessages::decodePacket(const QJsonObject& body)
{
    const WireValue::ReadScope scope;
    DataPacket packet;
    for (const QJsonValue& f :
         member(body, QStringLiteral("fields"), QJsonValue::Array).toArray()) {
        const QJsonObject field = objectAt(f, QStringLiteral("un campo"));
        ColumnInfo column;
        column.name = member(field, QStringLiteral("name"), QJsonValue::String).toString();
        column.type =
            typeFromName(member(field, QStringLiteral("type"), QJsonValue::String).toString());
        column.size = field.value(QStringLiteral("size")).toInt();
        packet.columns.append(column);
    }
    for (const QJsonValue& r : member(body, QStringLiteral("rows"), QJsonValue::Array).toArray()) {
        const QJsonArray cells = arrayOf(r, QStringLiteral("una fila"));
        if (cells.size() != packet.columns.size()) {
            WireValue::malformed(QStringLiteral("una fila tiene %1 valores y hay %2 campos")
                                     .arg(cells.size())
                                     .arg(packet.columns.size()));
        }
        QVariantList row;
        row.reserve(cells.size());
        for (qsizetype c = 0; c < cells.size(); ++c)
            row.append(WireValue::decodeTyped(cells[c], packet.columns[c].type));
        packet.rows.append(row);
    }
    if (body.contains(QStringLiteral("keys"))) {
        for (const QJsonValue& key :
             arrayOf(body.value(QStringLiteral("keys")), QStringLiteral("'keys'")))
            packet.rowKeys.append(decodeKey(key));
        if (packet.rowKeys.size() != packet.rows.size())
            WireValue::malformed(QStringLiteral("hay %1 claves para %2 filas")
                                     .arg(packet.rowKeys.size())
                                     .arg(packet.rows.size()));
    }
    return packet;
}

QJsonArray WireMessages::encodeParams(const ParamList& params)
{
    QJsonArray list;
    for (const Param& p : params) {
        list.append(
            QJsonObject{{QStringLiteral("name"), p.name},
                        {QStringLiteral("type"), typeName(p.type)},
                        {QStringLiteral("value"), WireValue::encodeTyped(p.value, p.type)}});
    }
    return list;
}

ParamList WireMessages::decodeParams(const QJsonValue& params)
{
    ParamList list;
    for (const QJsonValue& item : arrayOf(params, QStringLiteral("'params'"))) {
        const QJsonObject object = objectAt(item, QStringLiteral("un parámetro"));
        Param p;
        p.name = member(object, QStringLiteral("name"), QJsonValue::String).toString();
        p.type =
            typeFromName(member(object, QStringLiteral("type"), QJsonValue::String).toString());
        p.value = WireValue::decodeTyped(object.value(QStringLiteral("value")), p.type);
        list.append(p);
    }
    return list;
}

QJsonArray WireMessages::encodeDelta(const Delta& delta)
{
    static const char* const kinds[] = {"insert", "modify", "delete"};
    QJsonArray rows;
    for (const DeltaRow& row : delta.rows) {
        rows.append(QJsonObject{{QStringLiteral("kind"), QLatin1String(kinds[int(row.kind)])},
                                {QStringLiteral("key"), row.rowKey},
                                {QStringLiteral("original"), encodeMap(row.original)},
                                {QStringLiteral("values"), encodeMap(row.values)}});
    }
    return rows;
}

Delta WireMessages::decodeDelta(const QJsonValue& rows)
{
    const WireValue::ReadScope scope;
    Delta delta;
    for (const QJsonValue& item : arrayOf(rows, QStringLiteral("'rows'"))) {
        const QJsonObject object = objectAt(item, QStringLiteral("una fila cambiada"));
        const QString kind = member(object, QStringLiteral("kind"), QJsonValue::String).toString();
        DeltaRow row;
        if (kind == QLatin1String("insert"))
            row.kind = DeltaRow::Kind::Insert;
        else if (kind == QLatin1String("modify"))
            row.kind = DeltaRow::Kind::Modify;
        else if (kind == QLatin1String("delete"))
            row.kind = DeltaRow::Kind::Delete;
        else
            WireValue::malformed(QStringLiteral("clase de cambio desconocida '%1'").arg(kind));
        row.rowKey = decodeKey(member(object, QStringLiteral("key"), QJsonValue::Double));
        row.original =
            decodeMap(member(object, QStringLiteral("original"), QJsonValue::Object).toObject());
        row.values =
            decodeMap(member(object, QStringLiteral("values"), QJsonValue::Object).toObject());
        delta.rows.append(row);
    }
    return delta;
}

QJsonArray WireMessages::encodeArguments(const QVariantList& args)
{
    QJsonArray list;
    for (const QVariant& arg : args)
        list.append(WireValue::encodeTagged(arg));
    return list;
}

QVariantList WireMessages::decodeArguments(const QJsonValue& args)
{
    return WireValue::decodeTagged(arrayOf(args, QStringLiteral("'args'"))).toList();
}

QJsonObject WireMessages::encodeError(const ModuleError& error)
{
    return QJsonObject{
        {QStringLiteral("error"),
         QJsonObject{{QStringLiteral("kind"), QLatin1String(kindInfo(error.kind()).name)},
                     {QStringLiteral("message"), error.message()}}}};
}

ModuleError WireMessages::decodeError(const QJsonObject& body)
{
    const QJsonObject error = member(body, QStringLiteral("error"), QJsonValue::Object).toObject();
    const QString kind = error.value(QStringLiteral("kind")).toString();
    const QString message = member(error, QStringLiteral("message"), QJsonValue::String).toString();
    for (const KindInfo& info : Kinds) {
        if (kind == QLatin1String(info.name))
            return ModuleError(message, info.kind);
    }
    return ModuleError(message, ModuleError::Kind::Server);
}

int WireMessages::httpStatus(ModuleError::Kind kind)
{
    return kindInfo(kind).status;
}

} // namespace tavrel
