#include "CountryFlags.h"

namespace tavrel {

QStringList CountryFlags::query()
{
    return {QStringLiteral("SELECT VAL_VARI, TIP_DATO"),
            QStringLiteral("FROM GN_DIGIF"),
            QStringLiteral("WHERE (COD_VARI = :PCODVARI)"),
            QStringLiteral("  AND (PAI_VARI = :PCODPAIS OR PAI_VARI = 0)"),
            QStringLiteral("  AND ("),
            QStringLiteral("    EXISTS ("),
            QStringLiteral("      SELECT DISTINCT 1 FROM GN_EMPRE"),
            QStringLiteral("      WHERE COD_EMPR = :PCODEMPR"),
            QStringLiteral("        AND EMP_VARI = COD_DIFL"),
            QStringLiteral("    ) OR"),
            QStringLiteral("    (EMP_VARI = 0)"),
            QStringLiteral("  )")};
}

QString CountryFlags::value(const QVariant& firstRow)
{
    return firstRow.isValid() ? firstRow.toString().trimmed() : QStringLiteral("N");
}

} // namespace tavrel
