#pragma once

#include "TavrelRelationExport.h"

#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <functional>

namespace tavrel {

// The checks of a concept and an account assigned to a relation row, wherever the row is
// edited: the window's fields and the import of a workbook. Each asks one query of the
// payroll accounting tables through whoever runs it and gives the refusal's message.
class TAVREL_RELATION_EXPORT RelationFieldChecks
{
public:
    struct Lookup
    {
        QString provider;
        QStringList query;                      // line by line
        QList<QPair<QString, QVariant>> params; // an int is a 16-bit integer, a QString a string
    };
    // Whether the lookup gives a row; a failure of the server passes through.
    using Finds = std::function<bool(const Lookup& lookup)>;

    // The concept query (":P_COD_EMPR", ":P_COD_CONT"): COD_CONT, NOM_CONT, CAM_RELA of a
    // concept of the company with one of the four related-field kinds.
    static Lookup conceptLookup(int company, int payrollConcept);
    // The account query (":P_COD_EMPR", ":P_COD_CONT", ":P_COD_CUEN"): COD_CUEN, NOM_CUEN.
    static Lookup accountLookup(int company, int payrollConcept, const QString& account);

    // The refusal of a proposed concept, empty when it is accepted. A null concept is
    // accepted without asking.
    static QString checkConcept(int company, const QVariant& payrollConcept, const Finds& finds);
    // The refusal of a proposed account for the row's concept (0 when the row has none),
    // empty when it is accepted. A null account is accepted without asking.
    static QString checkAccount(int company, const QVariant& payrollConcept,
                                const QVariant& account, const Finds& finds);
};

} // namespace tavrel
