#pragma once

#include "DataSetTypes.h"
#include "FieldType.h"
#include "MTavrelMPRExport.h"

#include <QList>
#include <QStringList>
#include <QVariantList>

namespace tavrel {

// Decides whether a row's key values match searched values, the way Locate and lookup
// fields compare them.
//
// Text fields (String, FixedChar) compare as text: a null value counts as empty text;
// CaseInsensitive ignores case; PartialKey compares only the first characters of the
// row's text, as many as the searched text has. Other types compare for equality after
// the searched value has been converted to the field's type (PartialKey and
// CaseInsensitive do not apply to them); a null searched value matches only null.
class MTAVRELMPR_EXPORT RecordLocator
{
public:
    // One type and one searched value per key field. Throws ModuleError when the counts
    // differ or a value cannot be converted to its field's type.
    RecordLocator(const QList<FieldType>& types, const QVariantList& values,
                  LocateOptions options = {});

    bool matches(const QVariantList& keyValues) const;

    // "COD_EMPR;COD_CONT" -> {"COD_EMPR", "COD_CONT"}, blanks trimmed, empty parts dropped.
    static QStringList splitFieldNames(const QString& fieldList);

private:
    QList<FieldType> m_types;
    QVariantList m_values;
    LocateOptions m_options;
};

} // namespace tavrel
