#pragma once

#include "TavrelServerAdminExport.h"

#include "DemoData.h"

#include <QStringList>
#include <random>

namespace tavrel {

class Database;

// The scalable benchmark data behind DemoData::generate. A fixed seed and a generator
// whose sequence the C++ standard fixes (mt19937) give the same rows on every run.
class TAVREL_SERVER_ADMIN_EXPORT DemoGenerator
{
public:
    static constexpr int firstCompany = 11;
    static constexpr int companyCount = 5;
    static constexpr int defaultMovementsPerRelation = 50;
    static constexpr int conceptCount = 20;
    static constexpr int accountsPerConcept = 10;
    static constexpr int relatedPerKind = 250;

    explicit DemoGenerator(Database& db);
    DemoSummary run(int relationRows, int movementsPerRelation = defaultMovementsPerRelation);

private:
    struct Concept
    {
        int code;
        QString kind;
        QList<int> relatedCodes;
        QStringList accounts;
    };

    void insertCompanies();
    void insertCatalogues();
    void insertRelationsAndMovements(int relationRows, int movementsPerRelation,
                                     DemoSummary& summary);
    int below(int bound);

    Database& m_db;
    std::mt19937 m_random;
    QList<Concept> m_concepts;
    QStringList m_dateLiterals; // month-end dates 2012-2016, as literals
};

} // namespace tavrel
