#pragma once

#include <QFlags>

namespace tavrel {

// What a client dataset is doing. CalcFields lasts while a row's calculated and lookup
// fields are being computed.
enum class DataSetState
{
    Inactive,
    Browse,
    Edit,
    Insert,
    CalcFields
};

// Data fields hold the stored values; lookup fields are resolved from another dataset;
// calculated fields are computed per row by the dataset's OnCalcFields handler.
enum class FieldKind
{
    Data,
    Lookup,
    Calculated
};

enum class LocateOption
{
    CaseInsensitive = 0x1, // text compared without regard to case
    PartialKey = 0x2,      // text compared on the length of the searched value only
};
Q_DECLARE_FLAGS(LocateOptions, LocateOption)
Q_DECLARE_OPERATORS_FOR_FLAGS(LocateOptions)

} // namespace tavrel
