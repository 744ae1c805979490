#pragma once

#include "TavrelContractsExport.h"

#include "FieldType.h"

#include <QList>
#include <QString>
#include <QVariant>

namespace tavrel {

// A named parameter of a command text (the ":name" markers), with its value.
struct TAVREL_CONTRACTS_EXPORT Param
{
    QString name;
    QVariant value; // null = QVariant()
    FieldType type = FieldType::String;
};

using ParamList = QList<Param>;

} // namespace tavrel
