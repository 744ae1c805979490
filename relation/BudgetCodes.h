#pragma once

#include "TavrelRelationExport.h"

#include <QList>
#include <QString>
#include <QVariant>

namespace tavrel {

// The fixed budget code lists of the relation: funding sources, budget resources and
// funds situations, in the order the drop-downs show them. The module fills its lists
// from here and the server checks stored rows against the same codes.
class TAVREL_RELATION_EXPORT BudgetCodes
{
public:
    struct Entry
    {
        QVariant code; // a two-character string, or an integer for the budget resources
        QString name;
    };

    static const QList<Entry>& fundingSources();
    static const QList<Entry>& budgetResources();
    static const QList<Entry>& fundsSituations();

    // The funding source a budget resource belongs to: "01" (Nación) for 10 to 17, "02"
    // (Propios) for 20 to 27, empty for the other resources, which belong to neither.
    static QString fundingSourceOf(int resource);

    // The codes of `list` that `text` names: a code as the list writes it, or a name
    // (without regard to case). Empty: none; more than one: a name the list repeats.
    static QList<QVariant> named(const QList<Entry>& list, const QString& text);
};

} // namespace tavrel
