#pragma once

#include "DataPacket.h"
#include "MTavrelMPRExport.h"
#include "Param.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

namespace tavrel {

class IAppServer;

// How a small read-only query that finds one row by its key (a concept's name, an
// account's name) is answered from a list instead: `commandText` reads the whole list
// without the key conditions, and each key pairs a parameter of the query with the
// column of the list it is compared with.
struct MTAVRELMPR_EXPORT NameListQuery
{
    struct Key
    {
        QString param;
        QString column;
    };
    QString commandText;
    QList<Key> keys;

    bool declared() const { return !commandText.isEmpty() && !keys.isEmpty(); }
};

// The name lists a connection has read, each fetched once and then searched locally. A
// list is kept per provider, list text and the values of the parameters of its text (the
// company), until clear(). The lists declared to it are read together: when one is
// needed, every declared list whose parameters the same values fill comes in the same
// batch.
class MTAVRELMPR_EXPORT NameListCache
{
public:
    void declare(const QString& provider, const NameListQuery& list);
    // The rows of the list whose key columns equal the key parameters' values, with the
    // columns `columns` (all of the list's when empty). A null key matches nothing, as it
    // does in the query. Reads the list from `server` the first time it is needed; a
    // server error passes through and nothing is kept. Throws ModuleError when the list
    // lacks a key or a wanted column.
    DataPacket rows(IAppServer& server, const QString& provider, const NameListQuery& list,
                    const ParamList& params, const QStringList& columns);
    void clear();
    int listCount() const { return int(m_lists.size()); }

    // The text under which a value is compared: numbers by their value, texts without
    // trailing blanks (the server's CHAR columns come trimmed).
    static QString keyText(const QVariant& value);

private:
    struct List
    {
        DataPacket packet;
        QHash<QString, QList<int>> rowsByKey; // the key columns' texts joined, to rows
    };
    struct Declared
    {
        QString provider;
        NameListQuery query;
    };
    const List& list(IAppServer& server, const QString& provider, const NameListQuery& query,
                     const ParamList& params);
    static List indexed(DataPacket&& packet, const NameListQuery& query, const QString& provider);

    QHash<QString, List> m_lists;
    QList<Declared> m_declared;
};

} // namespace tavrel
