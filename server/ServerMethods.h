#pragma once

#include "TavrelServerExport.h"

#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVariantList>

namespace tavrel {

class Database;
struct ServerMethodContext;

// The late-bound methods of the application server object, by the names and with the
// network access of ServerMethodTable. Arguments come by reference; a method writes its
// out arguments into the list.
//
//   BuscarFechaServidor()                       -> QDateTime, the database's local time
//   BuscarPathProgramaArreglo(codes, userText, userType&, userCode&, paths&)
//       codes: QVariantList{comma text of program codes}; paths receives
//       QVariantList{comma text of their GN_PROGR paths, in the order asked, empty for
//       an unknown program}. userType and userCode are left as they are.
//   EjecutarSQL(statement, unused, error&)      -> int 0 on success, 1 on failure
//       statement: QVariantList{sql, values of its markers in order of first
//       appearance}; runs in its own transaction; error receives the database message.
//   ValidarUsuario(userCode, password, userType&) -> int 0 valid, 1 refused
//       Unknown user and wrong password get the same answer.
//
// The relation tools' methods have typed requests and replies in contracts/, which encode
// and decode their argument lists on both sides: the server's handler and the desk's call.
//   RevisarRelacion         RelationCheckCall     (RelationChecks)
//   HistorialRegistro       RowHistoryCall        (ChangeHistory)
//   VistaPreviaCausado      CausedPreviewCall     (CausedValuePreview)
//   MovimientosSinRelacion  MovementCoverageCall  (MovementCoverage)
class TAVREL_SERVER_EXPORT ServerMethods
{
public:
    explicit ServerMethods(Database& db) : m_db(db) {}

    // Throws ModuleError naming an unknown method or a wrong argument list.
    QVariant invoke(const QString& method, QVariantList& args);
    static QStringList names();
    // The session's user, whom the change history names; empty: the audit user of
    // the change itself.
    void setUser(const QString& user) { m_user = user; }

    // The handlers of ServerMethodTable that live here.
    static QVariant buscarFechaServidor(const ServerMethodContext& context, QVariantList& args);
    static QVariant buscarPathProgramaArreglo(const ServerMethodContext& context,
                                              QVariantList& args);
    static QVariant ejecutarSQL(const ServerMethodContext& context, QVariantList& args);
    static QVariant validarUsuario(const ServerMethodContext& context, QVariantList& args);

private:
    Database& m_db;
    QString m_user;
};

} // namespace tavrel
