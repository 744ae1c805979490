#include "BudgetCodes.h"

namespace tavrel {

const QList<BudgetCodes::Entry>& BudgetCodes::fundingSources()
{
    static const QList<Entry> list{{QStringLiteral("01"), QStringLiteral("Nación")},
                                   {QStringLiteral("02"), QStringLiteral("Propios")}};
    return list;
}

const QList<BudgetCodes::Entry>& BudgetCodes::budgetResources()
{
    static const QList<Entry> list = [] {
        const struct
        {
            int code;
            const char* name;
        } resources[] = {
            {10, "Recursos corrientes"},
            {11, "Otros recursos del tesoro"},
            {12, "Recursos para preservar la seguridad democrática"},
            {13, "Recursos del crédito externo previa autorización"},
            {14, "Prestamos de destinación especifica"},
            {15, "Donaciones"},
            {16, "Fondos especiales"},
            {17, "Rentas parafiscales"},
            {18, "Prestamos destinación especifica autorizados"},
            {19, "Donaciones internas"},
            {20, "Ingresos corrientes"},
            {21, "Otros recursos de tesorería"},
            {22, "Recursos del crédito interno previa autorización"},
            {23, "Recursos del crédito externo previa autorización"},
            {24, "Prestamos destinación especifica"},
            {25, "Donaciones"},
            {26, "Fondos especiales"},
            {27, "Rentas parafiscales"},
            {50, "Fondo especial defensa nacional"},
            {51, "Fondo especial subsidio y redistribución de ingresos"},
            {52, "Fondo especial fazni"},
            {53, "Fondo especial riesgos profesionales"},
        };
        QList<Entry> entries;
        for (const auto& r : resources)
            entries.append({r.code, QString::fromUtf8(r.name)});
        return entries;
    }();
    return list;
}

const QList<BudgetCodes::Entry>& BudgetCodes::fundsSituations()
{
    static const QList<Entry> list{{QStringLiteral("01"), QStringLiteral("CSF")},
                                   {QStringLiteral("02"), QStringLiteral("SSF")}};
    return list;
}

QString BudgetCodes::fundingSourceOf(int resource)
{
    if (resource >= 10 && resource <= 17)
        return QStringLiteral("01");
    if (resource >= 20 && resource <= 27)
        return QStringLiteral("02");
    return QString();
}

QList<QVariant> BudgetCodes::named(const QList<Entry>& list, const QString& text)
{
    const QString wanted = text.trimmed();
    QList<QVariant> codes;
    for (const Entry& e : list) {
        if (e.code.toString() == wanted)
            return {e.code};
        if (e.name.compare(wanted, Qt::CaseInsensitive) == 0)
            codes.append(e.code);
    }
    return codes;
}

} // namespace tavrel
