#pragma once

#include "TavrelContractsExport.h"

#include "ResultTable.h"

#include <QDateTime>
#include <QString>
#include <QVariant>
#include <QVariantList>

namespace tavrel {

class IAppServer;

struct MonthlyCausedRequest
{
    int company = 0;
    int year = 0; // 0: the year of FEC_RPCO
};

struct MonthlyCausedReply
{
    QDateTime start; // the yearly update's period
    QDateTime end;
    QString summedColumn; // "VAL_CAUC" or "VAL_TRAN"
    // One row per relation row of the company: COD_EMPR, COD_CONT, COD_CUEN, COD_CCOS,
    // COD_FUEN, COD_PRES, COD_SITU, DEP_APAC, then M01 to M12, the caused value of each
    // month (0 for a month without movements).
    ResultTable rows;
};

// The late-bound method CausadoMensual(company, year, rows&): the caused value that the
// yearly update gives each relation row of the company, month by month. `rows` receives
// the ResultTable; the result is {start, end, summedColumn}.
class TAVREL_CONTRACTS_EXPORT MonthlyCausedCall
{
public:
    static QString method() { return QStringLiteral("CausadoMensual"); }

    static QVariantList encodeRequest(const MonthlyCausedRequest& request);
    // Throws ModuleError naming a wrong argument.
    static MonthlyCausedRequest decodeRequest(const QVariantList& args);
    // Writes the out argument; returns the result.
    static QVariant encodeReply(const MonthlyCausedReply& reply, QVariantList& args);
    // Throws ModuleError (Conversion) naming what is malformed.
    static MonthlyCausedReply decodeReply(const QVariant& result, const QVariantList& args);

    static MonthlyCausedReply call(IAppServer& server, const MonthlyCausedRequest& request);
};

} // namespace tavrel
