#pragma once

#include "MTavrelMPRExport.h"
#include "ModuleError.h"

#include <QAbstractTableModel>
#include <QColor>
#include <QStringList>
#include <functional>
#include <memory>

class SClientDataSet;

namespace tavrel {

class DataSource;
class Field;

// A grid's view of a client dataset: one row per dataset row (a record being inserted
// included, see SClientDataSet::rowCount()), one column per field of a configurable list.
//
// DisplayRole gives the field's display text, EditRole its value, BackgroundRole the
// column's colour. A cell is editable when the field it edits is a data field that is
// not read-only and neither the column nor the model is read-only; setData() moves the
// dataset to the row, puts it into Edit and assigns that field, so the dataset's rules
// and events apply. A lookup column edits its key field: it shows the name looked up,
// and takes a key of the lookup dataset. Errors raised by the dataset are handed to
// OnError (a ModuleError must not cross Qt's event loop) and setData() returns false.
class MTAVRELMPR_EXPORT DataSetTableModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    explicit DataSetTableModel(QObject* parent = nullptr);
    ~DataSetTableModel() override;

    SClientDataSet* dataSet() const;
    void setDataSet(SClientDataSet* dataSet);
    // Follows the data source's dataset, also when it changes later.
    DataSource* dataSource() const;
    void setDataSource(DataSource* source);

    // Field names; empty (the default): the visible fields in their order. A name that
    // the dataset does not have gives an empty column.
    QStringList columns() const;
    void setColumns(const QStringList& fieldNames);
    Field* columnField(int column) const;
    // The data field that holds a lookup column's key (a lookup over one key field);
    // null for other columns.
    Field* columnKeyField(int column) const;

    // Column settings stay with the column index until changed.
    bool columnReadOnly(int column) const;
    void setColumnReadOnly(int column, bool readOnly);
    QColor columnColor(int column) const; // invalid: the view's own colour
    void setColumnColor(int column, const QColor& color);
    // Header text; empty (the default): the field's display label.
    QString columnTitle(int column) const;
    void setColumnTitle(int column, const QString& title);
    bool readOnly() const;
    void setReadOnly(bool readOnly);

    // The dataset's current row (0-based; -1 when there is none). setCurrentRow moves
    // the dataset there.
    int currentRow() const;
    bool setCurrentRow(int row);

    std::function<void(const ModuleError& error)> OnError;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;

signals:
    void currentRowChanged(int row);

private:
    void resolveColumns();
    Field* editedField(int column) const;
    void rowChangedInDataSet(int row);
    void report(const ModuleError& error) const;

    struct Private;
    std::unique_ptr<Private> d;
};

} // namespace tavrel
