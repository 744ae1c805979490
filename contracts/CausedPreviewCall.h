#pragma once

#include "TavrelContractsExport.h"

#include "ResultTable.h"

#include <QDateTime>
#include <QString>
#include <QVariant>
#include <QVariantList>

namespace tavrel {

class IAppServer;

struct CausedPreviewRequest
{
    int company = 0;      // whose flag V0000017 the update would read
    int year = 0;         // 0: as FEC_RPCO says
    QDateTime clientTime; // the desk's clock; invalid: the server's
};

struct CausedPreviewReply
{
    bool yearly = false; // the yearly path; otherwise the latest accounting date
    QDateTime start;
    QDateTime end;
    QString summedColumn; // "VAL_CAUC" or "VAL_TRAN"
    ResultTable rows;     // every stored column of NM_RPCOS, then VAL_CAUS_NUEVO
};

// The late-bound method VistaPreviaCausado(company, year, clientTime, rows&), what the
// caused-value update would write, written nowhere. `rows` receives the ResultTable; the
// result is {path ("ANUAL" or "FECHA"), start, end, summed column}.
class TAVREL_CONTRACTS_EXPORT CausedPreviewCall
{
public:
    static QString method() { return QStringLiteral("VistaPreviaCausado"); }

    static QVariantList encodeRequest(const CausedPreviewRequest& request);
    // Throws ModuleError naming a wrong argument.
    static CausedPreviewRequest decodeRequest(const QVariantList& args);
    // Writes the out argument; returns the result.
    static QVariant encodeReply(const CausedPreviewReply& reply, QVariantList& args);
    // Throws ModuleError (Conversion) naming what is malformed.
    static CausedPreviewReply decodeReply(const QVariant& result, const QVariantList& args);

    static CausedPreviewReply call(IAppServer& server, const CausedPreviewRequest& request);
};

} // namespace tavrel
