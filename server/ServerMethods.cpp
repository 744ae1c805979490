#include "ServerMethods.h"

#include "ChangeHistory.h"
#include "CommaText.h"
#include "Database.h"
#include "FieldType.h"
#include "MethodArguments.h"
#include "ModuleError.h"
#include "PasswordHash.h"
#include "ServerMethodTable.h"
#include "StatementShares.h"

#include <QDateTime>
#include <QHash>

namespace tavrel {

namespace {

// The first element of an array argument, or the argument itself when it is no array.
QVariant firstElement(const QVariant& argument)
{
    if (argument.typeId() == QMetaType::QVariantList ||
        argument.typeId() == QMetaType::QStringList) {
        const QVariantList list = argument.toList();
        return list.isEmpty() ? QVariant() : list.first();
    }
    return argument;
}

// A hash of a password nobody has, so that an unknown user costs as much as a known one.
const QString& decoyHash()
{
    static const QString hash =
        PasswordHash::make(QStringLiteral("-"), QByteArrayLiteral("tavrel-no-user!!"));
    return hash;
}

} // namespace

QStringList ServerMethods::names()
{
    return ServerMethodTable::names();
}

QVariant ServerMethods::invoke(const QString& method, QVariantList& args)
{
    const ServerMethod* entry = ServerMethodTable::find(method);
    if (!entry)
        throw ModuleError(
            QStringLiteral("El servidor de aplicaciones no tiene el método «%1»").arg(method));
    return entry->handler({m_db, m_user}, args);
}

QVariant ServerMethods::buscarFechaServidor(const ServerMethodContext& context, QVariantList& args)
{
    Database& db = context.db;
    MethodArguments(QStringLiteral("BuscarFechaServidor"), args, 0);
    // One statement on no table: it needs no read-only transaction around it (which would
    // cost three more round trips). A connection that died while idle is opened again
    // instead of failing the call, as for a read.
    QVariant now;
    const auto read = [&] { now = db.queryValue(db.dialect().currentTimestampQuery()); };
    if (db.inTransaction())
        read();
    else
        db.onLiveConnection(read);
    return coerce(now, FieldType::DateTime);
}

QVariant ServerMethods::buscarPathProgramaArreglo(const ServerMethodContext& context,
                                                  QVariantList& args)
{
    Database& db = context.db;
    MethodArguments(QStringLiteral("BuscarPathProgramaArreglo"), args, 5);
    const QStringList codes = CommaText::split(firstElement(args[0]).toString());
    QHash<QString, QString> pathOf;
    db.readOnly(QStringLiteral("SELECT COD_PROG, PAT_PROG FROM GN_PROGR"), {},
                [&pathOf](QSqlQuery& query) {
                    while (query.next())
                        pathOf.insert(query.value(0).toString().trimmed().toUpper(),
                                      query.value(1).toString().trimmed());
                });
    QStringList paths;
    for (const QString& code : codes)
        paths.append(pathOf.value(code.trimmed().toUpper()));
    args[4] = QVariantList{CommaText::join(paths)};
    return QVariant();
}

QVariant ServerMethods::ejecutarSQL(const ServerMethodContext& context, QVariantList& args)
{
    Database& db = context.db;
    MethodArguments(QStringLiteral("EjecutarSQL"), args, 3);
    const QVariantList statement = args[0].toList();
    if (statement.isEmpty() || statement.first().typeId() != QMetaType::QString)
        throw ModuleError(
            QStringLiteral("EjecutarSQL espera en su primer argumento un arreglo cuyo "
                           "elemento 0 es el texto de la sentencia"));
    const QString sql = statement.first().toString();
    const QVariantList values = statement.mid(1);
    try {
        // Many desks may update the caused values at once. Their statements rewrite the
        // whole relation, so they take turns instead of deadlocking on crossed row locks;
        // a deadlock with a desk's own edit is still retried. The change and its history
        // entry are committed together or not at all.
        const QString serialize = db.dialect().serializeBulkWritesStatement();
        db.transaction(
            [&] {
                if (!serialize.isEmpty())
                    db.exec(serialize, {});
                QSqlQuery executed = db.exec(StatementShares::returningCompanies(sql), values);
                QJsonObject shares;
                const int rows = StatementShares::tally(executed, shares);
                ChangeHistory::recordStatement(db, sql, rows, context.user, shares);
            },
            Database::conflictAttempts);
    } catch (const ModuleError& e) {
        args[2] = e.message();
        return 1;
    }
    args[2] = QString();
    return 0;
}

QVariant ServerMethods::validarUsuario(const ServerMethodContext& context, QVariantList& args)
{
    Database& db = context.db;
    MethodArguments(QStringLiteral("ValidarUsuario"), args, 3);
    const QString user = args[0].toString().trimmed().toUpper();
    const QString password = args[1].toString();
    QString stored = decoyHash();
    QString type;
    bool known = false;
    db.readOnly(
        QStringLiteral("SELECT CLA_USUA, TIP_USUA FROM GN_USUAR WHERE UPPER(COD_USUA) = :U"),
        {user}, [&](QSqlQuery& query) {
            if (query.next()) {
                known = true;
                stored = query.value(0).toString();
                type = query.value(1).toString().trimmed();
            }
        });
    const bool valid = PasswordHash::verify(password, stored) && known && !user.isEmpty();
    if (valid && PasswordHash::needsUpgrade(stored)) {
        // A hash of an older, cheaper work factor is stored again with the full one, now
        // that the password is at hand. A login still succeeds where the hash cannot be
        // written (a read-only copy of the database); the next one tries again.
        try {
            db.exec(QStringLiteral("UPDATE GN_USUAR SET CLA_USUA = :H "
                                   "WHERE UPPER(COD_USUA) = :U AND CLA_USUA = :ANTES"),
                    {PasswordHash::make(password), user, stored});
        } catch (const ModuleError&) {
        }
    }
    args[2] = valid ? type : QString();
    return valid ? 0 : 1;
}

} // namespace tavrel
