#pragma once

#include "TavrelServerExport.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVariantList>

namespace tavrel {

class Database;

// What a late-bound method works with: the database and the session's user, whom the
// change history names (empty: the audit user of the change itself).
struct ServerMethodContext
{
    Database& db;
    const QString& user;
};

// One late-bound method of the application server object.
struct ServerMethod
{
    QString name;
    // Reads the arguments, writes the out arguments into the list, returns the result.
    QVariant (*handler)(const ServerMethodContext& context, QVariantList& args);
    // A desk may call it through the network server; any other is refused there before it
    // reaches the database.
    bool network = false;
    // The argument that holds the one company whose rows it reads, which the network server
    // checks against the session's companies; -1 where row-level security alone limits it.
    int companyArgument = -1;
};

// Every late-bound method of the server, the one list that the in-process server and the
// network server read.
class TAVREL_SERVER_EXPORT ServerMethodTable
{
public:
    static const QList<ServerMethod>& methods();
    // Late binding resolves names without regard to case; nullptr for an unknown name.
    static const ServerMethod* find(const QString& name);
    static QStringList names();
};

} // namespace tavrel
