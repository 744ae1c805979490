#pragma once

#include "TavrelContractsExport.h"

#include "ResultTable.h"

#include <QDateTime>
#include <QString>
#include <QVariant>
#include <QVariantList>

namespace tavrel {

class IAppServer;

struct ArchiveReadRequest
{
    int company = 0;
    int year = 0;
};

struct ArchiveReadReply
{
    QString user;   // who archived the year
    QDateTime when; // and when
    // COD_EMPR, COD_CONT, COD_CUEN, COD_CCOS, COD_FUEN, COD_PRES, COD_SITU, DEP_APAC,
    // VAL_TOTA, VAL_CAUS, VAL_SALD, ACT_USUA, ACT_HORA, ACT_ESTA, in the order of the keys
    ResultTable rows;
};

// The late-bound method ConsultarArchivo(company, year, rows&): the relation rows a
// company archived under a year. `rows` receives the ResultTable; the result is
// {user, when}. A year the company has not archived is refused.
class TAVREL_CONTRACTS_EXPORT ArchiveReadCall
{
public:
    static QString method() { return QStringLiteral("ConsultarArchivo"); }

    static QVariantList encodeRequest(const ArchiveReadRequest& request);
    // Throws ModuleError naming a wrong argument.
    static ArchiveReadRequest decodeRequest(const QVariantList& args);
    // Writes the out argument; returns the result.
    static QVariant encodeReply(const ArchiveReadReply& reply, QVariantList& args);
    // Throws ModuleError (Conversion) naming what is malformed.
    static ArchiveReadReply decodeReply(const QVariant& result, const QVariantList& args);

    static ArchiveReadReply call(IAppServer& server, const ArchiveReadRequest& request);
};

} // namespace tavrel
