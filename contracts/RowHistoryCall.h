#pragma once

#include "TavrelContractsExport.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <QVariant>
#include <QVariantList>
#include <optional>

namespace tavrel {

class IAppServer;

// One column a change to a relation row wrote: its value before and after, null for none
// (an insert has nothing before, a delete nothing after). Text comes trimmed, date-times
// as ISO text, numbers as numbers.
struct RowHistoryChange
{
    QString column;
    QVariant before;
    QVariant after;

    bool operator==(const RowHistoryChange&) const = default;
};

// One entry of a relation row's history.
struct RowHistoryEntry
{
    QDateTime when; // the server's time of the change
    QString user;
    QString operation;  // A inserted, M modified, B deleted, C caused-value update, S statement
    qint64 rowKey = -1; // the relation row; -1 for a statement over many rows
    int rows = 1;       // rows the change touched (of a statement: the company's share)
    QList<RowHistoryChange> changes; // of the row's own change (A, M, B)
    QString statement;               // of a statement over the relation (C, S)
    int emptiedToZero = -1; // the clean-up that joined a caused-value update: its rows; -1 none
};

struct RowHistoryRequest
{
    int company = 0;
    std::optional<int> payrollConcept;
    QString account;
    std::optional<int> related; // none: the row without a related code
};

struct RowHistoryReply
{
    QList<RowHistoryEntry> entries; // oldest first
};

// The late-bound method HistorialRegistro(company, concept, account, related, entries&):
// `entries` receives one list per entry: time, user, operation, row key, rows, the list of
// changes (each {column, before, after}), the statement text and the rows the clean-up
// emptied to 0 (null for none); the result is their number.
class TAVREL_CONTRACTS_EXPORT RowHistoryCall
{
public:
    static QString method() { return QStringLiteral("HistorialRegistro"); }

    static QVariantList encodeRequest(const RowHistoryRequest& request);
    // Throws ModuleError naming a wrong argument.
    static RowHistoryRequest decodeRequest(const QVariantList& args);
    // Writes the out argument; returns the result.
    static QVariant encodeReply(const RowHistoryReply& reply, QVariantList& args);
    // Throws ModuleError (Conversion) naming what is malformed.
    static RowHistoryReply decodeReply(const QVariant& result, const QVariantList& args);

    static RowHistoryReply call(IAppServer& server, const RowHistoryRequest& request);
};

} // namespace tavrel
