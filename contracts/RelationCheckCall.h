#pragma once

#include "TavrelContractsExport.h"

#include <QList>
#include <QString>
#include <QVariant>
#include <QVariantList>

namespace tavrel {

class IAppServer;

// A point of a relation row worth a look. Warnings never stop anything: the window
// keeps saving such rows as before.
struct RelationWarning
{
    enum class Level
    {
        Warning, // most likely a mistake
        Note,    // unusual, to be confirmed
    };

    qint64 rowKey = -1;
    QVariant payrollConcept;
    QString account;
    QVariant related;
    QString check; // fuente, causado, duplicado, contabilizacion, cuenta, lista
    Level level = Level::Warning;
    QString message; // Spanish, names the row and says what to look at

    bool operator==(const RelationWarning&) const = default;
};

struct RelationCheckRequest
{
    int company = 0;
};

struct RelationCheckReply
{
    // In the order of the rows, each row's warnings in the order of the checks.
    QList<RelationWarning> warnings;
};

// The late-bound method RevisarRelacion(company, warnings&), the consistency checks of one
// company's relation rows. `warnings` receives one list per warning: row key, concept,
// account, related code, check, level ("aviso" or "nota"), message; the result is their
// number. The server decodes the request and encodes the reply here, the desk the other
// way round.
class TAVREL_CONTRACTS_EXPORT RelationCheckCall
{
public:
    static QString method() { return QStringLiteral("RevisarRelacion"); }

    static QVariantList encodeRequest(const RelationCheckRequest& request);
    // Throws ModuleError naming a wrong argument.
    static RelationCheckRequest decodeRequest(const QVariantList& args);
    // Writes the out argument; returns the result.
    static QVariant encodeReply(const RelationCheckReply& reply, QVariantList& args);
    // Throws ModuleError (Conversion) naming what is malformed.
    static RelationCheckReply decodeReply(const QVariant& result, const QVariantList& args);

    static RelationCheckReply call(IAppServer& server, const RelationCheckRequest& request);
};

} // namespace tavrel
