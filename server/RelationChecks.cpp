#include "RelationChecks.h"

#include "BudgetCodes.h"
#include "Database.h"
#include "FieldType.h"
#include "ModuleError.h"

#include <QHash>
#include <QLocale>
#include <QSet>

#include <algorithm>

namespace tavrel {

namespace {

struct Row
{
    qint64 key = -1;
    QVariant payrollConcept;
    QString account;
    QVariant related;
    QString source;
    QVariant resource;
    QString situation;
    QVariant total;
    QVariant caused;
};

QString nameIn(const QList<BudgetCodes::Entry>& list, const QVariant& code)
{
    for (const BudgetCodes::Entry& e : list) {
        if (e.code.toString() == code.toString())
            return e.name;
    }
    return QString();
}

bool listed(const QList<BudgetCodes::Entry>& list, const QVariant& code)
{
    return std::any_of(list.cbegin(), list.cend(), [&](const BudgetCodes::Entry& e) {
        return e.code.toString() == code.toString();
    });
}

QString shown(const QVariant& v)
{
    return isNull(v) ? QStringLiteral("vacío") : v.toString().trimmed();
}

QString money(const QVariant& v)
{
    return QLocale(QLocale::Spanish, QLocale::Colombia).toString(v.toDouble(), 'f', 2);
}

QString rowName(const Row& r)
{
    return QStringLiteral("Fila contabilización %1, cuenta %2, código relacionado %3")
        .arg(shown(r.payrollConcept), r.account.isEmpty() ? QStringLiteral("vacía") : r.account,
             shown(r.related));
}

class Checker
{
public:
    QList<RelationWarning> warnings;

    void add(const Row& r, const char* check, RelationWarning::Level level, const QString& text)
    {
        warnings.append({r.key, r.payrollConcept, r.account, r.related, QLatin1String(check), level,
                         rowName(r) + QStringLiteral(": ") + text});
    }

    void sourceAndResource(const Row& r)
    {
        if (r.source.isEmpty() || isNull(r.resource) ||
            !listed(BudgetCodes::fundingSources(), r.source) ||
            !listed(BudgetCodes::budgetResources(), r.resource))
            return;
        const int resource = r.resource.toInt();
        const QString expected = BudgetCodes::fundingSourceOf(resource);
        const QString resourceName = QStringLiteral("%1 (%2)").arg(resource).arg(
            nameIn(BudgetCodes::budgetResources(), resource));
        const QString sourceName = QStringLiteral("%1 (%2)").arg(
            r.source, nameIn(BudgetCodes::fundingSources(), r.source));
        if (expected.isEmpty()) {
            add(r, "fuente", RelationWarning::Level::Note,
                QStringLiteral("el recurso %1 no es de Nación (10 a 17) ni de Propios (20 a 27); "
                               "confirme que corresponde a la fuente %2.")
                    .arg(resourceName, sourceName));
        } else if (expected != r.source) {
            add(r, "fuente", RelationWarning::Level::Warning,
                QStringLiteral("la fuente %1 no corresponde al recurso %2, que es de la fuente "
                               "%3 (%4); revise la fuente de financiación o el recurso.")
                    .arg(sourceName, resourceName, expected,
                         nameIn(BudgetCodes::fundingSources(), expected)));
        }
    }

    void causedAboveTotal(const Row& r)
    {
        if (isNull(r.caused) || isNull(r.total) || r.caused.toDouble() <= r.total.toDouble())
            return;
        add(r, "causado", RelationWarning::Level::Warning,
            QStringLiteral("el valor causado (%1) supera el valor total (%2); revise el valor "
                           "total o los movimientos que suman al causado.")
                .arg(money(r.caused), money(r.total)));
    }

    void duplicate(const Row& r, int count)
    {
        if (count < 2)
            return;
        add(r, "duplicado", RelationWarning::Level::Warning,
            QStringLiteral("la misma contabilización, cuenta y código relacionado están %1 veces "
                           "en la empresa; el causado se suma en cada una. Deje una sola fila o "
                           "corrija los códigos.")
                .arg(count));
    }

    void conceptAndAccount(const Row& r, const QHash<int, QString>& concepts,
                           const QSet<QString>& accounts)
    {
        if (isNull(r.payrollConcept))
            return;
        const int payrollConcept = r.payrollConcept.toInt();
        const auto found = concepts.constFind(payrollConcept);
        static const QStringList kinds{QStringLiteral("COD_TNOM"), QStringLiteral("COD_GPRO"),
                                       QStringLiteral("COD_CCOS"), QStringLiteral("COD_GAST")};
        if (found == concepts.constEnd()) {
            add(r, "contabilizacion", RelationWarning::Level::Warning,
                QStringLiteral("la contabilización %1 ya no existe en la empresa; elija una "
                               "contabilización registrada o borre la fila.")
                    .arg(payrollConcept));
            return;
        }
        if (!kinds.contains(found.value())) {
            add(r, "contabilizacion", RelationWarning::Level::Warning,
                QStringLiteral("la contabilización %1 ya no tiene campo relacionado de nómina, "
                               "grupo, centro de costo o gasto («%2»); revísela en la "
                               "contabilización de nómina.")
                    .arg(payrollConcept)
                    .arg(found.value().isEmpty() ? QStringLiteral("vacío") : found.value()));
        }
        if (!r.account.isEmpty() &&
            !accounts.contains(QString::number(payrollConcept) + QLatin1Char('|') + r.account))
            add(r, "cuenta", RelationWarning::Level::Warning,
                QStringLiteral("la cuenta %1 ya no está registrada para la contabilización %2; "
                               "elija una cuenta de esa contabilización.")
                    .arg(r.account)
                    .arg(payrollConcept));
    }

    void lists(const Row& r)
    {
        if (!r.source.isEmpty() && !listed(BudgetCodes::fundingSources(), r.source))
            add(r, "lista", RelationWarning::Level::Warning,
                QStringLiteral("la fuente de financiación «%1» no está en la lista (01 Nación, "
                               "02 Propios); elija una de la lista.")
                    .arg(r.source));
        if (!isNull(r.resource) && !listed(BudgetCodes::budgetResources(), r.resource))
            add(r, "lista", RelationWarning::Level::Warning,
                QStringLiteral("el recurso presupuestal %1 no está en la lista de recursos; "
                               "elija uno de la lista.")
                    .arg(r.resource.toString()));
        if (!r.situation.isEmpty() && !listed(BudgetCodes::fundsSituations(), r.situation))
            add(r, "lista", RelationWarning::Level::Warning,
                QStringLiteral("la situación de fondos «%1» no está en la lista (01 CSF, 02 SSF); "
                               "elija una de la lista.")
                    .arg(r.situation));
    }
};

QString keyOf(const Row& r)
{
    return shown(r.payrollConcept) + QLatin1Char('|') + r.account + QLatin1Char('|') +
           shown(r.related);
}

} // namespace

QList<RelationWarning> RelationChecks::run(Database& db, int company)
{
    QList<Row> rows;
    db.readOnly(QStringLiteral("SELECT TVL_ROWID, COD_CONT, COD_CUEN, COD_CCOS, COD_FUEN, "
                               "COD_PRES, COD_SITU, VAL_TOTA, VAL_CAUS FROM NM_RPCOS "
                               "WHERE COD_EMPR = :E ORDER BY TVL_ROWID"),
                {company}, [&rows](QSqlQuery& q) {
                    while (q.next())
                        rows.append({q.value(0).toLongLong(), q.value(1),
                                     q.value(2).toString().trimmed(), q.value(3),
                                     q.value(4).toString().trimmed(), q.value(5),
                                     q.value(6).toString().trimmed(), q.value(7), q.value(8)});
                });
    QHash<int, QString> concepts;
    db.readOnly(QStringLiteral("SELECT COD_CONT, CAM_RELA FROM NM_NCCON WHERE COD_EMPR = :E"),
                {company}, [&concepts](QSqlQuery& q) {
                    while (q.next())
                        concepts.insert(q.value(0).toInt(), q.value(1).toString().trimmed());
                });
    QSet<QString> accounts;
    db.readOnly(QStringLiteral("SELECT COD_CONT, COD_CUEN FROM NM_NCMCO WHERE COD_EMPR = :E"),
                {company}, [&accounts](QSqlQuery& q) {
                    while (q.next())
                        accounts.insert(q.value(0).toString() + QLatin1Char('|') +
                                        q.value(1).toString().trimmed());
                });
    QHash<QString, int> keyCount;
    for (const Row& r : rows)
        ++keyCount[keyOf(r)];

    Checker checker;
    for (const Row& r : rows) {
        checker.sourceAndResource(r);
        checker.causedAboveTotal(r);
        checker.duplicate(r, keyCount.value(keyOf(r)));
        checker.conceptAndAccount(r, concepts, accounts);
        checker.lists(r);
    }
    return checker.warnings;
}

QVariant RelationChecks::method(Database& db, QVariantList& args)
{
    const RelationCheckRequest request = RelationCheckCall::decodeRequest(args);
    return RelationCheckCall::encodeReply({run(db, request.company)}, args);
}

} // namespace tavrel
