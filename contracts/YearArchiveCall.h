#pragma once

#include "TavrelContractsExport.h"

#include <QDateTime>
#include <QString>
#include <QVariant>
#include <QVariantList>

namespace tavrel {

class IAppServer;

struct YearArchiveRequest
{
    int company = 0;
    int year = 0;
    bool apply = false; // false: only count what would be archived
};

struct YearArchiveReply
{
    bool applied = false;
    int rows = 0;   // the relation rows archived, or that would be
    QString user;   // who archived them, as the server knows the session (applied only)
    QDateTime when; // the server's time of the archive (applied only)
};

// The late-bound method ArchivarVigencia(company, year, apply): keeps a copy of every
// relation row of the company under the year. The result is {applied (0 or 1), rows,
// user, when}. A year the company already has archived is refused.
class TAVREL_CONTRACTS_EXPORT YearArchiveCall
{
public:
    static QString method() { return QStringLiteral("ArchivarVigencia"); }

    static QVariantList encodeRequest(const YearArchiveRequest& request);
    // Throws ModuleError naming a wrong argument.
    static YearArchiveRequest decodeRequest(const QVariantList& args);
    static QVariant encodeReply(const YearArchiveReply& reply);
    // Throws ModuleError (Conversion) naming what is malformed.
    static YearArchiveReply decodeReply(const QVariant& result);

    static YearArchiveReply call(IAppServer& server, const YearArchiveRequest& request);
};

} // namespace tavrel
