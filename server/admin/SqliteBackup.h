#pragma once

#include "TavrelServerAdminExport.h"

#include <QDateTime>
#include <QString>

namespace tavrel {

// A copy of a SQLite database taken with SQLite's online backup, so that desks may keep
// working on it meanwhile: the copy holds the database as one transaction saw it, never
// half of a write. The copy is written beside its destination under a temporary name,
// checked with PRAGMA integrity_check and only then given its name; a failure leaves
// nothing behind.
class TAVREL_SERVER_ADMIN_EXPORT SqliteBackup
{
public:
    // Copies `source` to `target`, which must not exist yet. Returns the copy's pages.
    // Throws ModuleError saying what failed.
    static int copy(const QString& source, const QString& target);

    // Where a copy of `file` made on `when` goes, beside it: "nomina.sqlite" becomes
    // "nomina-2026-12-07.sqlite", or with the time as well when that name is taken.
    static QString datedName(const QString& file, const QDateTime& when);
};

} // namespace tavrel
