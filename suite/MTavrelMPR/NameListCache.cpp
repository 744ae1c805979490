#include "NameListCache.h"

#include "CommandText.h"
#include "IAppServer.h"
#include "ModuleError.h"

#include <optional>

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

void NameListCache::declare(const QString& provider, const NameListQuery& list)
{
    for (const Declared& d : std::as_const(m_declared)) {
        if (d.provider == provider && d.query.commandText == list.commandText)
            return;
    }
    m_declared.append({provider, list});
}

NameListCache::List NameListCache::indexed(DataPacket&& packet, const NameListQuery& query,
                                           const QString& provider)
{
    List out;
    out.packet = std::move(packet);
    QList<int> keyColumns;
    for (const NameListQuery::Key& key : query.keys)
        keyColumns.append(requireColumn(out.packet, key.column, provider));
    for (int r = 0; r < out.packet.rows.size(); ++r) {
        QStringList texts;
        for (int c : keyColumns)
            texts.append(keyText(out.packet.rows[r].value(c)));
        out.rowsByKey[texts.join(Separator)].append(r);
    }
    return out;
}

const NameListCache::List& NameListCache::list(IAppServer& server, const QString& provider,
                                               const NameListQuery& query, const ParamList& params)
{
    // A list's own parameters, by the markers of its text, with the values given; none
    // when a marker has no value.
    const auto listParams = [&params](const NameListQuery& q) -> std::optional<ParamList> {
        ParamList out;
        for (const QString& name : CommandText::parameterNames(q.commandText)) {
            const Param* p = findParam(params, name);
            if (!p || isKey(q, name))
                return std::nullopt;
            out.append(*p);
        }
        return out;
    };
    const auto nameOf = [](const QString& prov, const NameListQuery& q, const ParamList& ps) {
        QString name = prov + Separator + q.commandText;
        for (const Param& p : ps)
            name += Separator + p.name.toUpper() + QLatin1Char('=') + keyText(p.value);
        return name;
    };

    const std::optional<ParamList> own = listParams(query);
    if (!own)
        throw ModuleError(QStringLiteral("La lista de nombres de %1 usa un parámetro que la "
                                         "consulta no da o que es una llave")
                              .arg(provider));
    const QString name = nameOf(provider, query, *own);
    if (const auto found = m_lists.constFind(name); found != m_lists.constEnd())
        return *found;

    // This list first, then the declared ones the same values fill and not read yet.
    QList<Declared> wanted{{provider, query}};
    QStringList names{name};
    QList<BatchCall> calls{BatchCall::open(provider, query.commandText, *own)};
    for (const Declared& d : std::as_const(m_declared)) {
        const std::optional<ParamList> theirs = listParams(d.query);
        const QString other = theirs ? nameOf(d.provider, d.query, *theirs) : QString();
        if (!theirs || names.contains(other) || m_lists.contains(other))
            continue;
        wanted.append(d);
        names.append(other);
        calls.append(BatchCall::open(d.provider, d.query.commandText, *theirs));
    }
    QList<BatchAnswer> answers;
    if (calls.size() == 1)
        answers.append({server.open(provider, query.commandText, *own), {}, {}, {}});
    else
        answers = server.batch(calls);
    if (answers.value(0).error)
        throw *answers[0].error;
    // The others' errors are left for their own first use to meet.
    for (qsizetype i = answers.size() - 1; i >= 0; --i) {
        if (!answers[i].error)
            m_lists.insert(names[i], indexed(std::move(answers[i].packet), wanted[i].query,
                                             wanted[i].provider));
    }
    return *m_lists.constFind(name);
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
