#include "DeskDelta.h"

#include "DeltaColumns.h"
#include "ModuleError.h"
#include "SchemaCatalog.h"

namespace tavrel {

namespace {

void requireCompany(const QVariantMap& values, const DeskDelta::Session& session)
{
    const QVariant company = values.value(QStringLiteral("COD_EMPR"));
    if (company.isValid() && !session.companies.contains(company.toInt()))
        throw ModuleError(QStringLiteral("El usuario %1 no tiene acceso a la empresa %2")
                              .arg(session.user)
                              .arg(company.toInt()));
}

void requireAppendOnly(const TableDef& table, const DeltaRow& row)
{
    if (row.kind == DeltaRow::Kind::Insert)
        return;
    throw ModuleError(QStringLiteral("El registro de cambios %1 solo admite registros nuevos: "
                                     "sus registros no se modifican ni se borran")
                          .arg(table.name));
}

// The user as a column of `table` keeps it: cut to its size, as the module cuts it.
QString userFor(const TableDef& table, const QString& column, const QString& user)
{
    const ColumnDef* def = table.column(column);
    return def && def->size > 0 ? user.left(def->size) : user;
}

// The time a row is stamped with. A desk stamps the server's time as it asked for it just
// before posting (BuscarFechaServidor); kept when it is such a time, so that the desk's
// copy of the row agrees with the table and its next edit of the row is not taken for
// another user's. Any other time, later than the server's or older than a post takes,
// is replaced by the server's.
QDateTime timeFor(const QVariant& sent, const QDateTime& now)
{
    const QDateTime desk = sent.toDateTime();
    if (desk.isValid() && desk <= now && desk.secsTo(now) <= DeskDelta::postSeconds)
        return desk;
    return now;
}

} // namespace

Delta DeskDelta::prepare(const TableDef& table, const Delta& delta, const Session& session,
                         const std::function<QDateTime()>& serverTime)
{
    Delta result = DeltaColumns::spelled(table, delta);
    const bool log = table.name == changeLog();
    const bool stampsUser = table.column(QStringLiteral("ACT_USUA")) != nullptr;
    const bool stampsTime = table.column(QStringLiteral("ACT_HORA")) != nullptr;
    const bool stampsState = table.column(QStringLiteral("ACT_ESTA")) != nullptr;
    QDateTime now;
    for (DeltaRow& row : result.rows) {
        requireCompany(row.original, session);
        requireCompany(row.values, session);
        if (log) {
            requireAppendOnly(table, row);
            row.values.insert(QStringLiteral("COD_USUA"),
                              userFor(table, QStringLiteral("COD_USUA"), session.user));
        }
        // A modification that changes nothing stays one that writes nothing.
        if (row.kind == DeltaRow::Kind::Delete ||
            (row.kind == DeltaRow::Kind::Modify && row.values.isEmpty()))
            continue;
        // A stamp the desk did not send is the server's addition: its original is not a
        // check the desk asked for, so two desks may still change different columns of
        // one row.
        const auto stamp = [&row](const QString& column, const QVariant& value) {
            if (!row.values.contains(column))
                row.original.remove(column);
            row.values.insert(column, value);
        };
        if (stampsUser)
            stamp(QStringLiteral("ACT_USUA"),
                  userFor(table, QStringLiteral("ACT_USUA"), session.user));
        if (stampsTime) {
            if (!now.isValid())
                now = serverTime();
            stamp(QStringLiteral("ACT_HORA"),
                  timeFor(row.values.value(QStringLiteral("ACT_HORA")), now));
        }
        if (stampsState)
            stamp(QStringLiteral("ACT_ESTA"),
                  row.kind == DeltaRow::Kind::Insert ? QStringLiteral("A") : QStringLiteral("M"));
    }
    return result;
}

} // namespace tavrel
