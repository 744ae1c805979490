#pragma once

#include "TavrelServerAdminExport.h"

#include "PasswordHash.h"

#include <QString>

namespace tavrel {

class Database;

struct TAVREL_SERVER_ADMIN_EXPORT DemoSummary
{
    int companies = 0;
    qint64 relations = 0;
    qint64 movements = 0;
};

// Demo data. Everything is deterministic: the same call gives the same rows on every run
// and engine (password salts included), so tests and screenshots can rely on them.
class TAVREL_SERVER_ADMIN_EXPORT DemoData
{
public:
    // The fixed demo: three fictional public entities (companies 1..3) with NIT and logo,
    // their concepts of every related-field kind (and of others), accounts, payroll
    // classes, prototype groups, cost centres, expenses, flags, the period variable,
    // users JPEREZ/Tavrel2026 (type A, all companies), MGOMEZ/Nomina2026 (type U,
    // company 2) and ANALISTA01/Analista2026 (type U, company 1), programs, relation rows
    // and debit and credit movements from 2012 to 2015. The passwords are hashed with
    // `passwordIterations` (see PasswordHash): the full work factor unless a test asks
    // for less; a login raises a cheaper hash to the full factor.
    static DemoSummary create(Database& db,
                              int passwordIterations = PasswordHash::defaultIterations);

    // Data for benchmarks: five more companies (11..15) with their catalogues, `scale`
    // relation rows dealt to the companies in turn, `movementsPerRelation` movements
    // per relation row over 2012-2016, both natures; some rows match no movement. Runs
    // in one transaction. The companies must not exist yet.
    static DemoSummary generate(Database& db, int scale, int movementsPerRelation = 50);

    // A Colombian NIT with its DIAN check digit, dotted: "890.680.025-1".
    static QString nitWithCheckDigit(const QString& digits);
};

} // namespace tavrel
