#pragma once

#include "TavrelContractsExport.h"

#include "ResultTable.h"

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVariantList>

namespace tavrel {

class IAppServer;

struct MovementCoverageRequest
{
    int year = 0; // 0: the year of FEC_RPCO
};

struct MovementCoverageReply
{
    QDateTime start;
    QDateTime end;
    // The columns of MovementCoverageCall::columns(), and maybe more.
    ResultTable groups;
};

// The late-bound method MovimientosSinRelacion(year, groups&), the year's debit movements
// that no relation row takes in. `groups` receives the ResultTable; the result is
// {start, end}.
class TAVREL_CONTRACTS_EXPORT MovementCoverageCall
{
public:
    static QString method() { return QStringLiteral("MovimientosSinRelacion"); }
    // The columns every group has: COD_EMPR, COD_CCOS, COD_CONT, COD_CUEN, MOVIMIENTOS,
    // VAL_CAUC, VAL_TRAN.
    static const QStringList& columns();

    static QVariantList encodeRequest(const MovementCoverageRequest& request);
    // Throws ModuleError naming a wrong argument.
    static MovementCoverageRequest decodeRequest(const QVariantList& args);
    // Writes the out argument; returns the result.
    static QVariant encodeReply(const MovementCoverageReply& reply, QVariantList& args);
    // Throws ModuleError (Conversion) naming what is malformed.
    static MovementCoverageReply decodeReply(const QVariant& result, const QVariantList& args);

    static MovementCoverageReply call(IAppServer& server, const MovementCoverageRequest& request);
};

} // namespace tavrel
