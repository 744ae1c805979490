#pragma once

#include "TavrelServerExport.h"

#include "ArchiveReadCall.h"
#include "YearArchiveCall.h"

#include <QString>
#include <QVariantList>

namespace tavrel {

class Database;

// The relation of a closed year kept apart in NM_RPARC: a copy of every relation row of
// one company as it stands, with its balance (RelationBalance, as the window shows it),
// under the year and stamped with who archived it and
// when. A company archives a year once; the copy is made by one statement in one
// transaction that takes its turn with the other bulk writes, so that two archives of the
// same year cannot both pass the check. Nothing of NM_RPCOS changes.
class TAVREL_SERVER_EXPORT RelationArchive
{
public:
    // Archives the year (or, without `apply`, counts what it would archive, writing
    // nothing). `user` is the session's user as the server knows it. Throws ModuleError:
    // a refusal for a year out of range, one already archived, a company without relation
    // rows or a session without a user.
    static YearArchiveReply archive(Database& db, const YearArchiveRequest& request,
                                    const QString& user);
    // The rows a company archived under a year, ordered by their keys. Throws ModuleError
    // (Refusal) for a year it has not archived.
    static ArchiveReadReply read(Database& db, const ArchiveReadRequest& request);

    // The late-bound methods ArchivarVigencia and ConsultarArchivo.
    static QVariant invokeArchive(Database& db, const QString& user, QVariantList& args);
    static QVariant invokeRead(Database& db, QVariantList& args);
};

} // namespace tavrel
