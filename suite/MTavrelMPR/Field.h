#pragma once

#include "DataSetTypes.h"
#include "FieldType.h"
#include "MTavrelMPRExport.h"

#include <QDateTime>
#include <QString>
#include <QVariant>
#include <functional>
#include <memory>

class SClientDataSet;

namespace tavrel {

// A field of a client dataset: its definition, and the value it has in the dataset's
// current row (or, inside OnCalcFields, in the row being calculated).
//
// Fields are created and owned by their dataset (SClientDataSet::addField). Fields that
// a dataset creates from the result of an open, because none were declared, are
// destroyed when it closes.
//
// Assigning a value (setValue, setAsString, clear) needs the dataset in Edit or Insert
// state and follows the dataset's assignment protocol: the value is converted to the
// field's type (text fields keep at most size() characters), OnValidate runs while the
// field reads the proposed value and may refuse it by throwing, then the value is stored
// and OnChange runs. Lookup and calculated fields are assigned only while their row is
// being calculated.
class MTAVRELMPR_EXPORT Field
{
public:
    ~Field();
    Field(const Field&) = delete;
    Field& operator=(const Field&) = delete;

    QString fieldName() const;
    FieldType dataType() const;
    int size() const; // characters for text fields; 0: unlimited
    FieldKind kind() const;
    int index() const; // position in the dataset's fields
    SClientDataSet* dataSet() const;

    QString displayLabel() const; // the field name until set
    void setDisplayLabel(const QString& label);
    QString displayFormat() const; // a FloatFormatter pattern for numbers, Qt's for dates
    void setDisplayFormat(const QString& format);
    int displayWidth() const; // in characters; derived from type and size until set
    void setDisplayWidth(int width);
    int tag() const;
    void setTag(int tag);
    bool readOnly() const;
    void setReadOnly(bool readOnly);
    bool visible() const;
    void setVisible(bool visible);

    // Lookup fields: the value of lookupResultField in the first row of lookupDataSet
    // whose lookupKeyField equals this dataset's keyField. Key lists may name several
    // fields separated by ';'. The lookup dataset's cursor does not move; a key that is
    // not found, or a closed lookup dataset, gives null.
    QString keyField() const;
    void setKeyField(const QString& fields);
    SClientDataSet* lookupDataSet() const;
    void setLookupDataSet(SClientDataSet* dataSet);
    QString lookupKeyField() const;
    void setLookupKeyField(const QString& fields);
    QString lookupResultField() const;
    void setLookupResultField(const QString& field);

    QVariant value() const; // null = QVariant()
    void setValue(const QVariant& value);
    bool isNull() const;
    void clear();

    QString asString() const;     // null gives ""
    int asInteger() const;        // null gives 0; decimals are rounded
    qint64 asLargeInt() const;    // null gives 0
    double asFloat() const;       // null gives 0
    QDateTime asDateTime() const; // null gives an invalid date-time
    bool asBoolean() const;       // null gives false
    // Text as typed by a user: converted to the field's type; blank text is null for
    // fields that are not text. Unreadable text throws ModuleError (Conversion).
    void setAsString(const QString& text);

    // The value as shown to the user: the display format applied to numbers, dates in
    // the short date format of FormatSettings (plus the time when it is not midnight).
    QString displayText() const;
    // Any value of this field's type shown the way displayText() shows the field's own.
    QString formatValue(const QVariant& value) const;
    // Any value of this field's type as asString() gives it.
    QString textOf(const QVariant& value) const;

    std::function<void(Field&)> OnValidate;
    std::function<void(Field&)> OnChange;

private:
    friend class ::SClientDataSet;
    Field(SClientDataSet* dataSet, const QString& name, FieldType type, int size, FieldKind kind,
          int index);

    // The value converted to this field's type and cut to its size; a value that does
    // not fit throws ModuleError naming the field.
    QVariant convert(const QVariant& value) const;

    struct Private;
    std::unique_ptr<Private> d;
};

} // namespace tavrel
