#include "DeskCalls.h"

#include "CausedValueStatements.h"
#include "ModuleError.h"

#include <QDateTime>
#include <QStringList>

namespace tavrel::bench {

const QString& DeskCalls::relationProvider()
{
    static const QString provider = QStringLiteral("DtsPVeZEZev");
    return provider;
}

DataPacket DeskCalls::relation(IAppServer& server, int company)
{
    return server.open(
        relationProvider(),
        QStringLiteral("SELECT * FROM NM_RPCOS WHERE COD_EMPR = :P_COD_EMPR ORDER BY COD_CONT"),
        {{QStringLiteral("P_COD_EMPR"), company, FieldType::SmallInt}});
}

void DeskCalls::openWindow(IAppServer& server)
{
    // What the relation window reads besides its rows: the companies and the lookup lists.
    static const QStringList lookups{
        QStringLiteral("SELECT COD_EMPR, NOM_EMPR FROM GN_EMPRE ORDER BY COD_EMPR"),
        QStringLiteral("SELECT COD_CCOS, NOM_CCOS FROM GN_CCOST ORDER BY COD_CCOS"),
        QStringLiteral("SELECT COD_CONT, NOM_CONT FROM NM_NCCON ORDER BY COD_CONT"),
        QStringLiteral("SELECT COD_VARI, VAL_VARI FROM NM_VARIG")};
    relation(server, 1);
    for (const QString& sql : lookups)
        server.open(QStringLiteral("DtsPTemporal"), sql, {});
}

void DeskCalls::addToTotal(IAppServer& server, const DataPacket& rows, int row)
{
    DeltaRow edit{DeltaRow::Kind::Modify, rows.rowKeys[row], {}, {}};
    for (int c = 0; c < rows.columns.size(); ++c)
        edit.original.insert(rows.columns[c].name, rows.rows[row][c]);
    edit.values.insert(QStringLiteral("VAL_TOTA"),
                       edit.original.value(QStringLiteral("VAL_TOTA")).toDouble() + 1);
    server.applyUpdates(relationProvider(), Delta{{edit}});
}

void DeskCalls::causedUpdate(IAppServer& server, const QString& user)
{
    QVariantList args{QVariant(QVariantList{CausedValueStatements::yearUpdate(false, user),
                                            QDateTime(QDate(2013, 1, 1), QTime()),
                                            QDateTime(QDate(2013, 12, 31), QTime(23, 59, 59)),
                                            QDateTime::currentDateTime()}),
                      QVariant(), QString()};
    server.invoke(QStringLiteral("EjecutarSQL"), args);
    if (!args[2].toString().isEmpty())
        throw ModuleError(args[2].toString());
}

} // namespace tavrel::bench
