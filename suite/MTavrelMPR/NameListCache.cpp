#include "NameListCache.h"

#include "IAppServer.h"
#include "ModuleError.h"

namespace tavrel {

namespace {

const QChar Separator(0x1F); // between the key texts of a row: no key text holds it

bool isKey(const NameListQuery& query, const QString& param)
{
    for (const NameListQuery::Key& key : query.keys) {
        if (key.param.compare(param, Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

const Param* findParam(const ParamList& params, const QString& name)
{
    for (const Param& p : params) {
        if (p.name.compare(name, Qt::CaseInsensitive) == 0)
            return &p;
    }
    return nullptr;
}

int requireColumn(const DataPacket& packet, const QString& name, const QString& provider)
{
    const int at = packet.columnIndex(name);
    if (at < 0)
        throw ModuleError(
            QStringLiteral("La lista de nombres de %1 no trae la columna %2").arg(provider, name));
    return at;
}

} // namespace

QString NameListCache::keyText(const QVariant& value)
{
    switch (value.typeId()) {
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Long:
    case QMetaType::ULong:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
        return QString::number(value.toLongLong());
    case QMetaType::Float:
    case QMetaType::Double: {
        const double number = value.toDouble();
        return number == double(qint64(number)) ? QString::number(qint64(number))
                                                : QString::number(number, 'g', 17);
    }
    default: {
        QString text = value.toString();
        qsizetype end = text.size();
        while (end > 0 && text.at(end - 1) == QLatin1Char(' '))
            --end;
        text.truncate(end);
        return text;
    }
    }
}

const NameListCache::List& NameListCache::list(IAppServer& server, const QString& provider,
                                               const NameListQuery& query, const ParamList& params)
{
    ParamList listParams;
    QString name = provider + Separator + query.commandText;
    for (const Param& p : params) {
        if (isKey(query, p.name))
            continue;
        listParams.append(p);
        name += Separator + p.name.toUpper() + QLatin1Char('=') + keyText(p.value);
    }
    if (const auto found = m_lists.constFind(name); found != m_lists.constEnd())
        return *found;

    List fetched;
    fetched.packet = server.open(provider, query.commandText, listParams);
    QList<int> keyColumns;
    for (const NameListQuery::Key& key : query.keys)
        keyColumns.append(requireColumn(fetched.packet, key.column, provider));
    for (int r = 0; r < fetched.packet.rows.size(); ++r) {
        QStringList texts;
        for (int c : keyColumns)
            texts.append(keyText(fetched.packet.rows[r].value(c)));
        fetched.rowsByKey[texts.join(Separator)].append(r);
    }
    return *m_lists.insert(name, std::move(fetched));
}

DataPacket NameListCache::rows(IAppServer& server, const QString& provider,
                               const NameListQuery& query, const ParamList& params,
                               const QStringList& columns)
{
    const List& found = list(server, provider, query, params);
    DataPacket out;
    QList<int> take;
    for (const QString& column : columns) {
        take.append(requireColumn(found.packet, column, provider));
        out.columns.append(found.packet.columns[take.last()]);
    }
    if (columns.isEmpty()) {
        out.columns = found.packet.columns;
        for (int c = 0; c < out.columns.size(); ++c)
            take.append(c);
    }
    QStringList texts;
    for (const NameListQuery::Key& key : query.keys) {
        const Param* p = findParam(params, key.param);
        if (!p || p->value.isNull())
            return out;
        texts.append(keyText(p->value));
    }
    for (int r : found.rowsByKey.value(texts.join(Separator))) {
        QVariantList row;
        row.reserve(take.size());
        for (int c : take)
            row.append(found.packet.rows[r].value(c));
        out.rows.append(row);
    }
    return out;
}

void NameListCache::clear()
{
    m_lists.clear();
}

} // namespace tavrel
