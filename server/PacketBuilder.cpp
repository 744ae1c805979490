#include "PacketBuilder.h"

#include "ModuleError.h"
#include "SchemaCatalog.h"
#include "SqlDialect.h"
#include "SqliteRows.h"

#include <QSet>
#include <QSqlQuery>
#include <QSqlRecord>
#include <cmath>
#include <limits>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace tavrel {

namespace {

// The texts of one column: a value seen before is handed out as the string kept, so that
// the rows share it. Stamps, codes and flags repeat from row to row; a column of mostly
// distinct texts stops growing the set at its limit.
class SharedTexts
{
public:
    QVariant shared(const QVariant& value)
    {
        if (value.typeId() != QMetaType::QString)
            return value;
        const QString& text = *static_cast<const QString*>(value.constData());
        if (m_texts.size() >= limit) {
            const auto found = m_texts.constFind(text);
            return found == m_texts.constEnd() ? value : QVariant(*found);
        }
        return QVariant(*m_texts.insert(text));
    }

private:
    static constexpr qsizetype limit = 4096;
    QSet<QString> m_texts;
};

// The values one column's texts became, by the bytes the database holds: a text seen
// before is neither decoded nor converted again, and its rows share the value kept. Like
// SharedTexts, a column of mostly distinct texts stops growing the map at its limit.
class TextValues
{
public:
    const QVariant* find(QByteArrayView bytes) const
    {
        const auto found = m_values.find(std::string_view(bytes.data(), size_t(bytes.size())));
        return found == m_values.end() ? nullptr : &found->second;
    }
    QVariant keep(QByteArrayView bytes, QVariant value)
    {
        if (m_values.size() < limit)
            m_values.emplace(std::string(bytes.data(), size_t(bytes.size())), value);
        return value;
    }

private:
    struct Hash
    {
        using is_transparent = void;
        size_t operator()(std::string_view text) const
        {
            return std::hash<std::string_view>{}(text);
        }
    };
    static constexpr size_t limit = 4096;
    std::unordered_map<std::string, QVariant, Hash, std::equal_to<>> m_values;
};

// A number of a typed column as coerce() would make it, read without a variant in between;
// false when coerce() has to decide (nulls, texts, values out of the type's range).
bool directNumber(const SqliteRows& rows, int column, FieldType type, QVariant& value)
{
    switch (type) {
    case FieldType::SmallInt:
    case FieldType::Integer: {
        if (!rows.isInteger(column))
            return false;
        const qint64 n = rows.integer(column);
        const qint64 low = type == FieldType::SmallInt ? std::numeric_limits<qint16>::min()
                                                       : std::numeric_limits<qint32>::min();
        const qint64 high = type == FieldType::SmallInt ? std::numeric_limits<qint16>::max()
                                                        : std::numeric_limits<qint32>::max();
        if (n < low || n > high)
            return false;
        value = int(n);
        return true;
    }
    case FieldType::LargeInt:
        if (!rows.isInteger(column))
            return false;
        value = qlonglong(rows.integer(column));
        return true;
    case FieldType::Float: {
        if (!rows.isReal(column))
            return false;
        const double d = rows.real(column);
        if (!std::isfinite(d))
            return false;
        value = d;
        return true;
    }
    default:
        return false;
    }
}

// The type of a column the catalogue does not know, from the values it holds: integers
// of any width become LargeInt so that both engines agree on `SELECT COUNT(*) N`.
FieldType typeFromValues(const QList<QVariantList>& rows, int column)
{
    bool sawInteger = false;
    for (const QVariantList& row : rows) {
        const QVariant& v = row.at(column);
        if (isNull(v))
            continue;
        switch (v.typeId()) {
        case QMetaType::Double:
        case QMetaType::Float:
            return FieldType::Float;
        case QMetaType::Int:
        case QMetaType::UInt:
        case QMetaType::LongLong:
        case QMetaType::ULongLong:
        case QMetaType::Short:
        case QMetaType::UShort:
            sawInteger = true;
            break;
        case QMetaType::QDateTime:
        case QMetaType::QDate:
            return FieldType::DateTime;
        case QMetaType::QByteArray:
            return FieldType::Blob;
        case QMetaType::Bool:
            return FieldType::Boolean;
        default:
            return FieldType::String;
        }
    }
    return sawInteger ? FieldType::LargeInt : FieldType::String;
}

} // namespace

DataPacket PacketBuilder::build(QSqlQuery& query, const SqlDialect& dialect)
{
    const SchemaCatalog& catalog = SchemaCatalog::instance();
    const QSqlRecord record = query.record();
    const QString technicalKey = SchemaCatalog::technicalKey();

    DataPacket packet;
    int keyColumn = -1;
    QList<int> sourceColumns; // packet column -> query column
    QList<bool> known;
    std::vector<SharedTexts> texts;
    for (int i = 0; i < record.count(); ++i) {
        const QString name = dialect.normaliseColumnName(record.fieldName(i));
        if (name == technicalKey && keyColumn < 0) {
            keyColumn = i;
            continue;
        }
        ColumnInfo info;
        info.name = name;
        const std::optional<ColumnDef> def = catalog.column(name);
        if (def) {
            info.type = def->type;
            info.size = def->size;
        }
        known.append(def.has_value());
        packet.columns.append(info);
        sourceColumns.append(i);
    }

    texts.resize(size_t(packet.columns.size()));
    const auto convert = [&](int c, const QVariant& raw) {
        if (!known[c])
            return isNull(raw) ? QVariant() : raw;
        try {
            return texts[size_t(c)].shared(coerce(raw, packet.columns[c].type));
        } catch (const ModuleError& e) {
            throw ModuleError(
                QStringLiteral("Columna %1: %2").arg(packet.columns[c].name, e.message()),
                e.kind());
        }
    };

    if (const std::unique_ptr<SqliteRows> sqlite = SqliteRows::of(query)) {
        std::vector<TextValues> seen(size_t(packet.columns.size()));
        while (sqlite->next()) {
            QVariantList row;
            row.reserve(sourceColumns.size());
            for (int c = 0; c < sourceColumns.size(); ++c) {
                const int source = sourceColumns[c];
                QVariant number;
                if (known[c] && directNumber(*sqlite, source, packet.columns[c].type, number)) {
                    row.append(std::move(number));
                    continue;
                }
                if (!known[c] || !sqlite->isText(source)) {
                    row.append(convert(c, sqlite->value(source)));
                    continue;
                }
                const QByteArrayView bytes = sqlite->text(source);
                if (const QVariant* value = seen[size_t(c)].find(bytes))
                    row.append(*value);
                else
                    row.append(seen[size_t(c)].keep(bytes, convert(c, QString::fromUtf8(bytes))));
            }
            packet.rows.append(std::move(row));
            if (keyColumn >= 0)
                packet.rowKeys.append(sqlite->integer(keyColumn));
        }
    } else {
        while (query.next()) {
            QVariantList row;
            row.reserve(sourceColumns.size());
            for (int c = 0; c < sourceColumns.size(); ++c)
                row.append(convert(c, query.value(sourceColumns[c])));
            packet.rows.append(std::move(row));
            if (keyColumn >= 0)
                packet.rowKeys.append(query.value(keyColumn).toLongLong());
        }
    }

    for (int c = 0; c < packet.columns.size(); ++c) {
        if (known[c])
            continue;
        const FieldType type = typeFromValues(packet.rows, c);
        packet.columns[c].type = type;
        for (QVariantList& row : packet.rows)
            row[c] = coerce(row[c], type);
    }
    return packet;
}

} // namespace tavrel
