#include "DemoGenerator.h"

#include "BulkInserter.h"
#include "Database.h"
#include "DemoLogo.h"
#include "SchemaCatalog.h"

#include <QDateTime>

namespace tavrel {

namespace {

QString cents(qint64 value)
{
    return QStringLiteral("%1.%2").arg(value / 100).arg(value % 100, 2, 10, QLatin1Char('0'));
}

const char* const kinds[] = {"COD_CCOS", "COD_TNOM", "COD_GPRO", "COD_GAST"};
const char* const tables[] = {"GN_CCOST", "NM_TNOMI", "NM_GPROT", "NM_GACON"};
const char* const codeColumns[] = {"COD_CCOS", "COD_TNOM", "COD_GPRO", "COD_GAST"};
const char* const nameColumns[] = {"NOM_CCOS", "NOM_TNOM", "NOM_GPRO", "NOM_GAST"};

} // namespace

DemoGenerator::DemoGenerator(Database& db) : m_db(db), m_random(20130101u)
{
    for (int year = 2012; year <= 2016; ++year) {
        for (int month = 1; month <= 12; ++month) {
            const QDate day = QDate(year, month, 1).addMonths(1).addDays(-1);
            m_dateLiterals.append(m_db.dialect().literal(QDateTime(day, QTime(0, 0))));
            // The last minute of the same day, outside a period that ends at midnight.
            m_dateLiterals.append(m_db.dialect().literal(QDateTime(day, QTime(23, 59))));
        }
    }
}

int DemoGenerator::below(int bound)
{
    return int(m_random() % quint32(bound));
}

DemoSummary DemoGenerator::run(int relationRows, int movementsPerRelation)
{
    DemoSummary summary;
    summary.companies = companyCount;
    const TableDef* movements = SchemaCatalog::instance().table(QStringLiteral("NM_NCMOV"));
    m_db.transaction([&] {
        // Loading first and indexing afterwards is much faster than keeping the index up.
        for (const IndexDef& index : movements->indexes)
            m_db.exec(QStringLiteral("DROP INDEX %1").arg(index.name));
        insertCompanies();
        insertCatalogues();
        insertRelationsAndMovements(relationRows, movementsPerRelation, summary);
        for (const IndexDef& index : movements->indexes)
            m_db.exec(m_db.dialect().createIndexStatement(*movements, index));
    });
    // Fresh statistics, so that the planner sees the movements it will search.
    for (const char* table : {"NM_NCMOV", "NM_RPCOS"})
        m_db.exec(QStringLiteral("ANALYZE %1").arg(QLatin1String(table)));
    return summary;
}

void DemoGenerator::insertCompanies()
{
    BulkInserter companies(m_db, QStringLiteral("GN_EMPRE"),
                           BulkInserter::columns({"COD_EMPR", "NOM_EMPR", "NIT_EMPR", "BMP_REPO",
                                                  "PAI_EMPR", "COD_DIFL"}));
    BulkInserter users(m_db, QStringLiteral("GN_UEMPR"),
                       BulkInserter::columns({"COD_USUA", "COD_EMPR"}));
    for (int c = firstCompany; c < firstCompany + companyCount; ++c) {
        companies.add({c, QStringLiteral("Entidad Pública de Prueba %1").arg(c),
                       DemoData::nitWithCheckDigit(QString::number(899990000 + c)),
                       DemoLogo::png(c), 169, c});
        users.add({QStringLiteral("JPEREZ"), c});
    }
    companies.finish();
    users.finish();
}

void DemoGenerator::insertCatalogues()
{
    // Twenty concepts per company, five of each kind, with ten accounts each and a list
    // of related codes per kind; the same concepts in every company.
    for (int k = 0; k < conceptCount; ++k) {
        Concept payrollConcept;
        payrollConcept.code = 100 + k;
        payrollConcept.kind = QLatin1String(kinds[k % 4]);
        for (int r = 1; r <= relatedPerKind; ++r)
            payrollConcept.relatedCodes.append(r * 10 + k % 4);
        for (int a = 1; a <= accountsPerConcept; ++a)
            payrollConcept.accounts.append(QStringLiteral("5101%1%2")
                                               .arg(payrollConcept.code)
                                               .arg(a, 2, 10, QLatin1Char('0')));
        m_concepts.append(payrollConcept);
    }
    BulkInserter c(m_db, QStringLiteral("NM_NCCON"),
                   BulkInserter::columns({"COD_EMPR", "COD_CONT", "NOM_CONT", "CAM_RELA"}));
    BulkInserter a(m_db, QStringLiteral("NM_NCMCO"),
                   BulkInserter::columns({"COD_EMPR", "COD_CONT", "COD_CUEN", "NOM_CUEN"}));
    for (int company = firstCompany; company < firstCompany + companyCount; ++company) {
        for (const Concept& payrollConcept : m_concepts) {
            c.add({company, payrollConcept.code,
                   QStringLiteral("CONCEPTO DE PRUEBA %1").arg(payrollConcept.code),
                   payrollConcept.kind});
            for (const QString& account : payrollConcept.accounts)
                a.add({company, payrollConcept.code, account,
                       QStringLiteral("CUENTA %1").arg(account)});
        }
        for (int kind = 0; kind < 4; ++kind) {
            BulkInserter list(
                m_db, QLatin1String(tables[kind]),
                BulkInserter::columns({"COD_EMPR", codeColumns[kind], nameColumns[kind]}));
            for (int r = 1; r <= relatedPerKind; ++r)
                list.add({company, r * 10 + kind,
                          QStringLiteral("%1 %2").arg(QLatin1String(nameColumns[kind])).arg(r)});
            list.finish();
        }
    }
    c.finish();
    a.finish();
}

void DemoGenerator::insertRelationsAndMovements(int relationRows, int movementsPerRelation,
                                                DemoSummary& summary)
{
    BulkInserter r(
        m_db, QStringLiteral("NM_RPCOS"),
        BulkInserter::columns({"ACT_USUA", "ACT_HORA", "ACT_ESTA", "COD_EMPR", "COD_CCOS",
                               "COD_CONT", "COD_CUEN", "COD_FUEN", "COD_PRES", "COD_SITU",
                               "DEP_APAC", "VAL_TOTA", "VAL_CAUS"}));
    BulkInserter m(m_db, QStringLiteral("NM_NCMOV"),
                   BulkInserter::columns({"COD_EMPR", "COD_CCOS", "COD_CONT", "COD_CUEN",
                                          "FEC_PROC", "NAT_TRAN", "VAL_CAUC", "VAL_TRAN"}));
    const QString stamp = m_db.dialect().literal(QDateTime(QDate(2016, 1, 4), QTime(9, 0)));
    static const int resources[] = {10, 11, 12, 15, 16, 20, 21, 25, 50, 53};
    for (int i = 0; i < relationRows; ++i) {
        // Each row gets a key of its own (company, concept, account, related code) as
        // long as there are keys left, as relation rows have in real use.
        const int company = firstCompany + i % companyCount;
        const int j = i / companyCount;
        const Concept& payrollConcept = m_concepts.at(j % conceptCount);
        const QString account = payrollConcept.accounts.at(j / conceptCount % accountsPerConcept);
        const int relatedCode = payrollConcept.relatedCodes.at(
            j / (conceptCount * accountsPerConcept) % relatedPerKind);
        const int roll = below(100);
        const bool noRelated = roll < 2;      // never matches a movement
        const bool otherAccount = roll >= 95; // its movements go to another account
        const QString related = noRelated ? QStringLiteral("NULL") : QString::number(relatedCode);
        const qint64 total = 1000000 + qint64(below(900000)) * 1000;
        r.addLiterals(QStringLiteral("'GENERA', %1, 'A', %2, %3, %4, '%5', '%6', %7, '%8', "
                                     "'DEPENDENCIA %9', %10, NULL")
                          .arg(stamp)
                          .arg(company)
                          .arg(related)
                          .arg(payrollConcept.code)
                          .arg(account)
                          .arg(below(2) ? QStringLiteral("01") : QStringLiteral("02"))
                          .arg(resources[below(int(std::size(resources)))])
                          .arg(below(2) ? QStringLiteral("01") : QStringLiteral("02"))
                          .arg(company)
                          .arg(cents(total)));
        const QString movementAccount = otherAccount ? account + QStringLiteral("9") : account;
        const QString keys = QStringLiteral("%1, %2, %3, '%4', ")
                                 .arg(company)
                                 .arg(related)
                                 .arg(payrollConcept.code)
                                 .arg(movementAccount);
        for (int k = 0; k < movementsPerRelation; ++k) {
            const qint64 cauc = 10000 + qint64(below(5000000)) * 10;
            const qint64 tran = cauc + below(100000);
            const QString& date = m_dateLiterals.at(below(int(m_dateLiterals.size())));
            const bool credit = below(4) == 0;
            m.addLiterals(keys + date +
                          (credit ? QStringLiteral(", 'C', ") : QStringLiteral(", 'D', ")) +
                          cents(cauc) + QStringLiteral(", ") + cents(tran));
        }
    }
    summary.relations = r.finish();
    summary.movements = m.finish();
}

} // namespace tavrel
