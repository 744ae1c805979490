#include "RelationFieldChecks.h"

namespace tavrel {

namespace {

bool isNullValue(const QVariant& v)
{
    return !v.isValid() || v.isNull();
}

} // namespace

RelationFieldChecks::Lookup RelationFieldChecks::conceptLookup(int company, int payrollConcept)
{
    return {
        QStringLiteral("DtsPNmNccon"),
        {QStringLiteral("SELECT COD_CONT, NOM_CONT, CAM_RELA"), QStringLiteral("FROM NM_NCCON"),
         QStringLiteral("WHERE (COD_EMPR = :P_COD_EMPR) AND"),
         QStringLiteral("               CAM_RELA IN('COD_TNOM','COD_GAST','COD_CCOS',"),
         QStringLiteral("                                        'COD_GPRO') AND"),
         QStringLiteral("              (COD_CONT = :P_COD_CONT)")},
        {{QStringLiteral("P_COD_EMPR"), company}, {QStringLiteral("P_COD_CONT"), payrollConcept}}};
}

RelationFieldChecks::Lookup RelationFieldChecks::accountLookup(int company, int payrollConcept,
                                                               const QString& account)
{
    return {QStringLiteral("DtsPNmNcmco"),
            {QStringLiteral("SELECT COD_CUEN, NOM_CUEN"), QStringLiteral("FROM NM_NCMCO"),
             QStringLiteral("WHERE (COD_EMPR = :P_COD_EMPR) AND"),
             QStringLiteral("(COD_CONT = :P_COD_CONT) AND"),
             QStringLiteral("(COD_CUEN = :P_COD_CUEN)")},
            {{QStringLiteral("P_COD_EMPR"), company},
             {QStringLiteral("P_COD_CONT"), payrollConcept},
             {QStringLiteral("P_COD_CUEN"), account}}};
}

QString RelationFieldChecks::checkConcept(int company, const QVariant& payrollConcept,
                                          const Finds& finds)
{
    if (isNullValue(payrollConcept) || finds(conceptLookup(company, payrollConcept.toInt())))
        return QString();
    return QStringLiteral("La Contabilizción Seleccionada no se Encuentra Registrada...");
}

QString RelationFieldChecks::checkAccount(int company, const QVariant& payrollConcept,
                                          const QVariant& account, const Finds& finds)
{
    if (isNullValue(account) ||
        finds(accountLookup(company, isNullValue(payrollConcept) ? 0 : payrollConcept.toInt(),
                            account.toString())))
        return QString();
    return QStringLiteral("La cuenta contable seleccionada no se encuentra registrada...");
}

} // namespace tavrel
