#pragma once

#include "TavrelRelationExport.h"

#include <QString>
#include <QStringList>
#include <QVariant>

namespace tavrel {

// The country flags of GN_DIGIF: a flag applies to a company when it is for the
// company's country or for every country (PAI_VARI 0), and for the company's flag
// group or for every group (EMP_VARI 0).
class TAVREL_RELATION_EXPORT CountryFlags
{
public:
    // V0000017: "S" when the yearly caused-value update sums VAL_TRAN.
    static QString digiDian() { return QStringLiteral("V0000017"); }

    // The query of one flag, line by line, with the markers :PCODVARI (the flag's code),
    // :PCODPAIS (the company's country, 0 without one) and :PCODEMPR (the company); its
    // rows are VAL_VARI, TIP_DATO.
    static QStringList query();

    // The flag's value from VAL_VARI of the first row: trimmed; "N" when `firstRow` is
    // invalid because no row applies.
    static QString value(const QVariant& firstRow);
};

} // namespace tavrel
