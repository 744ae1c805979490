#include "DataSetTableModel.h"

#include "DataSource.h"
#include "Field.h"
#include "SClientDataSet.h"

#include <QHash>
#include <QPointer>

namespace tavrel {

struct DataSetTableModel::Private
{
    QPointer<SClientDataSet> dataSet;
    QPointer<DataSource> source;
    QMetaObject::Connection sourceConnection;
    QList<QMetaObject::Connection> connections;
    QStringList configured;
    QList<Field*> fields; // one per column; null for a name the dataset lacks
    QHash<int, bool> readOnlyColumns;
    QHash<int, QColor> colors;
    QHash<int, QString> titles;
    bool readOnly = false;
};

DataSetTableModel::DataSetTableModel(QObject* parent)
    : QAbstractTableModel(parent), d(std::make_unique<Private>())
{}

DataSetTableModel::~DataSetTableModel() = default;

SClientDataSet* DataSetTableModel::dataSet() const
{
    return d->dataSet;
}

void DataSetTableModel::setDataSet(SClientDataSet* dataSet)
{
    if (d->dataSet == dataSet && (dataSet || d->fields.isEmpty()))
        return;
    beginResetModel();
    for (const auto& c : std::as_const(d->connections))
        disconnect(c);
    d->connections.clear();
    d->dataSet = dataSet;
    if (dataSet) {
        auto& c = d->connections;
        c << connect(dataSet, &SClientDataSet::rowsAboutToBeReset, this, [this] {
            beginResetModel();
            d->fields.clear();
        });
        c << connect(dataSet, &SClientDataSet::rowsReset, this, [this] {
            resolveColumns();
            endResetModel();
        });
        c << connect(dataSet, &SClientDataSet::rowsAboutToBeInserted, this,
                     [this](int first, int last) { beginInsertRows({}, first, last); });
        c << connect(dataSet, &SClientDataSet::rowsInserted, this, [this] { endInsertRows(); });
        c << connect(dataSet, &SClientDataSet::rowsAboutToBeRemoved, this,
                     [this](int first, int last) { beginRemoveRows({}, first, last); });
        c << connect(dataSet, &SClientDataSet::rowsRemoved, this, [this] { endRemoveRows(); });
        c << connect(dataSet, &SClientDataSet::rowChanged, this,
                     &DataSetTableModel::rowChangedInDataSet);
        c << connect(dataSet, &SClientDataSet::currentRowChanged, this,
                     &DataSetTableModel::currentRowChanged);
        c << connect(dataSet, &QObject::destroyed, this, [this] {
            beginResetModel();
            d->fields.clear();
            endResetModel();
        });
    }
    resolveColumns();
    endResetModel();
}

DataSource* DataSetTableModel::dataSource() const
{
    return d->source;
}

void DataSetTableModel::setDataSource(DataSource* source)
{
    disconnect(d->sourceConnection);
    d->source = source;
    if (source) {
        d->sourceConnection = connect(source, &DataSource::dataSetChanged, this,
                                      [this] { setDataSet(d->source->dataSet()); });
    }
    setDataSet(source ? source->dataSet() : nullptr);
}

QStringList DataSetTableModel::columns() const
{
    return d->configured;
}

void DataSetTableModel::setColumns(const QStringList& fieldNames)
{
    beginResetModel();
    d->configured = fieldNames;
    resolveColumns();
    endResetModel();
}

Field* DataSetTableModel::columnField(int column) const
{
    return column >= 0 && column < d->fields.size() ? d->fields[column] : nullptr;
}

Field* DataSetTableModel::columnKeyField(int column) const
{
    const Field* f = columnField(column);
    if (!f || f->kind() != FieldKind::Lookup || !f->lookupDataSet() ||
        f->keyField().contains(QLatin1Char(';')))
        return nullptr;
    Field* key = d->dataSet->findField(f->keyField());
    return key && key->kind() == FieldKind::Data ? key : nullptr;
}

void DataSetTableModel::resolveColumns()
{
    d->fields.clear();
    if (!d->dataSet)
        return;
    if (d->configured.isEmpty()) {
        for (Field* f : d->dataSet->fields()) {
            if (f->visible())
                d->fields.append(f);
        }
    } else {
        for (const QString& name : std::as_const(d->configured))
            d->fields.append(d->dataSet->findField(name));
    }
}

bool DataSetTableModel::columnReadOnly(int column) const
{
    return d->readOnlyColumns.value(column, false);
}

void DataSetTableModel::setColumnReadOnly(int column, bool readOnly)
{
    d->readOnlyColumns.insert(column, readOnly);
}

QColor DataSetTableModel::columnColor(int column) const
{
    return d->colors.value(column);
}

void DataSetTableModel::setColumnColor(int column, const QColor& color)
{
    d->colors.insert(column, color);
    if (rowCount() > 0 && column >= 0 && column < columnCount())
        emit dataChanged(index(0, column), index(rowCount() - 1, column), {Qt::BackgroundRole});
}

QString DataSetTableModel::columnTitle(int column) const
{
    return d->titles.value(column);
}

void DataSetTableModel::setColumnTitle(int column, const QString& title)
{
    d->titles.insert(column, title);
    if (column >= 0 && column < columnCount())
        emit headerDataChanged(Qt::Horizontal, column, column);
}

bool DataSetTableModel::readOnly() const
{
    return d->readOnly;
}

void DataSetTableModel::setReadOnly(bool readOnly)
{
    d->readOnly = readOnly;
}

int DataSetTableModel::currentRow() const
{
    return d->dataSet ? d->dataSet->currentRow() : -1;
}

bool DataSetTableModel::setCurrentRow(int row)
{
    if (!d->dataSet || row < 0 || row >= rowCount())
        return false;
    try {
        d->dataSet->setRecNo(row + 1);
    } catch (const ModuleError& e) {
        report(e);
    }
    return currentRow() == row;
}

int DataSetTableModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() || !d->dataSet ? 0 : d->dataSet->rowCount();
}

int DataSetTableModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(d->fields.size());
}

QVariant DataSetTableModel::data(const QModelIndex& index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid))
        return QVariant();
    Field* f = d->fields[index.column()];
    if (!f)
        return QVariant();
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        try {
            const QVariant value = d->dataSet->valueAt(index.row(), f->index());
            return role == Qt::EditRole ? value : QVariant(f->formatValue(value));
        } catch (const ModuleError& e) {
            report(e);
            return QVariant();
        }
    case Qt::BackgroundRole: {
        const QColor color = columnColor(index.column());
        return color.isValid() ? QVariant(color) : QVariant();
    }
    case Qt::TextAlignmentRole: {
        const FieldType t = f->dataType();
        const bool number = t == FieldType::SmallInt || t == FieldType::Integer ||
                            t == FieldType::LargeInt || t == FieldType::Float;
        return number ? QVariant(int(Qt::AlignRight | Qt::AlignVCenter)) : QVariant();
    }
    default:
        return QVariant();
    }
}

QVariant DataSetTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 &&
        section < columnCount()) {
        const QString title = columnTitle(section);
        if (!title.isEmpty())
            return title;
        if (Field* f = d->fields[section])
            return f->displayLabel();
        return d->configured.value(section);
    }
    return QAbstractTableModel::headerData(section, orientation, role);
}

Qt::ItemFlags DataSetTableModel::flags(const QModelIndex& index) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid))
        return Qt::NoItemFlags;
    Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
    const Field* f = editedField(index.column());
    if (f && f->kind() == FieldKind::Data && !f->readOnly() && !d->readOnly &&
        !columnReadOnly(index.column()))
        flags |= Qt::ItemIsEditable;
    return flags;
}

bool DataSetTableModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (role != Qt::EditRole || !(flags(index) & Qt::ItemIsEditable))
        return false;
    Field* f = editedField(index.column());
    try {
        if (currentRow() != index.row())
            d->dataSet->setRecNo(index.row() + 1);
        if (d->dataSet->state() == DataSetState::Browse)
            d->dataSet->edit();
        if (value.typeId() == QMetaType::QString)
            f->setAsString(value.toString());
        else
            f->setValue(value);
        return true;
    } catch (const ModuleError& e) {
        report(e);
        return false;
    }
}

Field* DataSetTableModel::editedField(int column) const
{
    Field* key = columnKeyField(column);
    return key ? key : columnField(column);
}

void DataSetTableModel::rowChangedInDataSet(int row)
{
    const int rows = rowCount();
    const int columns = columnCount();
    if (rows == 0 || columns == 0 || row >= rows)
        return;
    const int first = row < 0 ? 0 : row;
    const int last = row < 0 ? rows - 1 : row;
    emit dataChanged(index(first, 0), index(last, columns - 1));
}

void DataSetTableModel::report(const ModuleError& error) const
{
    if (OnError)
        OnError(error);
    else
        qWarning("%s", error.what());
}

} // namespace tavrel
