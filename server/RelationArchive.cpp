#include "RelationArchive.h"

#include "Database.h"
#include "FieldType.h"
#include "ModuleError.h"
#include "PacketBuilder.h"
#include "RelationBalance.h"

#include <optional>
#include <utility>

namespace tavrel {

namespace {

// The columns copied from NM_RPCOS, in the archive's order after the year.
const QString kCopied = QStringLiteral(
    "COD_EMPR, COD_CONT, COD_CUEN, COD_CCOS, COD_FUEN, COD_PRES, COD_SITU, DEP_APAC, VAL_TOTA, "
    "VAL_CAUS");
const QString kStamp = QStringLiteral("ACT_USUA, ACT_HORA, ACT_ESTA");

[[noreturn]] void refuse(const QString& message)
{
    throw ModuleError(message, ModuleError::Kind::Refusal);
}

void requireYear(int year)
{
    if (year < 1 || year > 9999)
        refuse(QStringLiteral("El año %1 no es válido: debe estar entre 1 y 9999").arg(year));
}

// Who archived the year and when; nothing when the company has not archived it.
std::optional<std::pair<QString, QDateTime>> archived(Database& db, int company, int year)
{
    std::optional<std::pair<QString, QDateTime>> found;
    db.readOnly(QStringLiteral("SELECT MIN(USU_ARCH), MIN(FEC_ARCH), COUNT(*) FROM NM_RPARC "
                               "WHERE COD_EMPR = :E AND ANO_ARCH = :A"),
                {company, year}, [&found](QSqlQuery& query) {
                    if (query.next() && query.value(2).toLongLong() > 0)
                        found = std::pair(query.value(0).toString().trimmed(),
                                          coerce(query.value(1), FieldType::DateTime).toDateTime());
                });
    return found;
}

QString alreadyArchived(int company, int year, const std::pair<QString, QDateTime>& by)
{
    return QStringLiteral("La vigencia %1 de la empresa %2 ya está archivada (por %3 el %4); "
                          "una vigencia se archiva una sola vez")
        .arg(year)
        .arg(company)
        .arg(by.first, by.second.toString(QStringLiteral("dd/MM/yyyy HH:mm")));
}

int relationRows(Database& db, int company)
{
    int rows = 0;
    db.readOnly(QStringLiteral("SELECT COUNT(*) FROM NM_RPCOS WHERE COD_EMPR = :E"), {company},
                [&rows](QSqlQuery& query) {
                    if (query.next())
                        rows = query.value(0).toInt();
                });
    return rows;
}

} // namespace

YearArchiveReply RelationArchive::archive(Database& db, const YearArchiveRequest& request,
                                          const QString& user)
{
    requireYear(request.year);
    if (user.trimmed().isEmpty())
        refuse(QStringLiteral("El servidor no conoce el usuario de la sesión; no se archivó "
                              "nada"));
    YearArchiveReply reply;
    const auto checkAndCount = [&] {
        if (const auto by = archived(db, request.company, request.year))
            refuse(alreadyArchived(request.company, request.year, *by));
        reply.rows = relationRows(db, request.company);
        if (reply.rows == 0)
            refuse(QStringLiteral("La empresa %1 no tiene filas en la relación; no hay nada que "
                                  "archivar")
                       .arg(request.company));
    };
    if (!request.apply) {
        checkAndCount();
        return reply;
    }
    const QString serialize = db.dialect().serializeBulkWritesStatement();
    db.transaction(
        [&] {
            // Two archives of the same year take turns, so the second finds the first.
            if (!serialize.isEmpty())
                db.exec(serialize, {});
            checkAndCount();
            reply.when =
                coerce(db.queryValue(db.dialect().currentTimestampQuery()), FieldType::DateTime)
                    .toDateTime();
            reply.user = user.trimmed();
            db.exec(QStringLiteral("INSERT INTO NM_RPARC (ANO_ARCH, %1, VAL_SALD, %2, USU_ARCH, "
                                   "FEC_ARCH) SELECT :A, %1, %3, %2, :U, :F FROM NM_RPCOS "
                                   "WHERE COD_EMPR = :E")
                        .arg(kCopied, kStamp, RelationBalance::sql()),
                    {request.year, reply.user, reply.when, request.company});
        },
        Database::conflictAttempts);
    reply.applied = true;
    return reply;
}

ArchiveReadReply RelationArchive::read(Database& db, const ArchiveReadRequest& request)
{
    requireYear(request.year);
    const auto by = archived(db, request.company, request.year);
    if (!by)
        refuse(QStringLiteral("La empresa %1 no tiene archivada la vigencia %2")
                   .arg(request.company)
                   .arg(request.year));
    ArchiveReadReply reply{by->first, by->second, {}};
    db.readOnly(QStringLiteral("SELECT %1, VAL_SALD, %2 FROM NM_RPARC WHERE COD_EMPR = :E AND "
                               "ANO_ARCH = :A ORDER BY COD_CONT, COD_CUEN, COD_CCOS, TVL_ROWID")
                    .arg(kCopied, kStamp),
                {request.company, request.year}, [&](QSqlQuery& query) {
                    const DataPacket packet = PacketBuilder::build(query, db.dialect());
                    for (const ColumnInfo& c : packet.columns)
                        reply.rows.columns.append(c.name);
                    reply.rows.rows = packet.rows;
                });
    return reply;
}

QVariant RelationArchive::invokeArchive(Database& db, const QString& user, QVariantList& args)
{
    return YearArchiveCall::encodeReply(archive(db, YearArchiveCall::decodeRequest(args), user));
}

QVariant RelationArchive::invokeRead(Database& db, QVariantList& args)
{
    const ArchiveReadReply reply = read(db, ArchiveReadCall::decodeRequest(args));
    return ArchiveReadCall::encodeReply(reply, args);
}

} // namespace tavrel
