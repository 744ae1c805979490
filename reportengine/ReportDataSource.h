#pragma once

#include "TavrelReportsExport.h"

#include <QString>
#include <QVariant>

namespace tavrel::report {

// The records a report runs through. Any dataset can be bound by an adapter.
// Data source and field names are compared case-insensitively by the engine's users;
// an adapter answers hasField() the same way.
class TAVREL_REPORTS_EXPORT ReportDataSource
{
public:
    virtual ~ReportDataSource();

    virtual QString name() const = 0;
    virtual void first() = 0;
    virtual void next() = 0;
    virtual bool eof() const = 0;
    // Stands on the record `index` (0-based) of a walk from first(); by default walks there.
    virtual void seek(int index);
    virtual int recordCount() const = 0;
    virtual bool hasField(const QString& field) const = 0;
    // The field's text as the dataset shows it (display format applied).
    virtual QString displayText(const QString& field) const = 0;
    // The raw value, for pictures stored as blobs.
    virtual QVariant value(const QString& field) const = 0;
};

} // namespace tavrel::report
