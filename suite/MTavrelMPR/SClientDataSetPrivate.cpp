#include "SClientDataSetPrivate.h"

#include "ModuleError.h"
#include "RecordLocator.h"

#include <algorithm>

using tavrel::DataSetState;
using tavrel::Field;
using tavrel::FieldKind;
using tavrel::ModuleError;

namespace {

// Puts the dataset into CalcFields on one record, and back as it was afterwards.
class CalculationScope
{
public:
    CalculationScope(QVariantList*& calcTarget, int& calcRow, DataSetState& state,
                     QVariantList* target, int row)
        : m_calcTarget(calcTarget), m_calcRow(calcRow), m_state(state), m_oldTarget(calcTarget),
          m_oldRow(calcRow), m_oldState(state)
    {
        calcTarget = target;
        calcRow = row;
        state = DataSetState::CalcFields;
        ++running;
    }
    ~CalculationScope()
    {
        --running;
        m_calcTarget = m_oldTarget;
        m_calcRow = m_oldRow;
        m_state = m_oldState;
    }
    CalculationScope(const CalculationScope&) = delete;
    CalculationScope& operator=(const CalculationScope&) = delete;

    // Calculations of any dataset under way on this thread.
    static inline thread_local int running = 0;

private:
    QVariantList*& m_calcTarget;
    int& m_calcRow;
    DataSetState& m_state;
    QVariantList* m_oldTarget;
    int m_oldRow;
    DataSetState m_oldState;
};

// While a field's OnValidate runs, the field reads the value proposed for it.
class ProposalScope
{
public:
    ProposalScope(const Field*& proposing, QVariant& proposed, const Field* field,
                  const QVariant& value)
        : m_proposing(proposing), m_proposed(proposed), m_oldField(proposing), m_oldValue(proposed)
    {
        proposing = field;
        proposed = value;
    }
    ~ProposalScope()
    {
        m_proposing = m_oldField;
        m_proposed = m_oldValue;
    }
    ProposalScope(const ProposalScope&) = delete;
    ProposalScope& operator=(const ProposalScope&) = delete;

private:
    const Field*& m_proposing;
    QVariant& m_proposed;
    const Field* m_oldField;
    QVariant m_oldValue;
};

bool sameColumns(const std::vector<std::unique_ptr<Field>>& fields,
                 const tavrel::DataPacket& packet)
{
    if (fields.size() != size_t(packet.columns.size()))
        return false;
    for (size_t i = 0; i < fields.size(); ++i) {
        const tavrel::ColumnInfo& c = packet.columns[qsizetype(i)];
        if (fields[i]->fieldName() != c.name || fields[i]->dataType() != c.type ||
            fields[i]->size() != c.size)
            return false;
    }
    return true;
}

} // namespace

void SClientDataSet::Private::checkActive() const
{
    if (state == DataSetState::Inactive)
        refuse(QStringLiteral("El conjunto de datos '%1' no está abierto"));
}

void SClientDataSet::Private::checkNotCalculating() const
{
    if (state == DataSetState::CalcFields) {
        refuse(QStringLiteral("El conjunto de datos '%1' no permite esta operación mientras "
                              "calcula sus campos"));
    }
}

void SClientDataSet::Private::checkEditing() const
{
    if (!editing())
        refuse(QStringLiteral("El conjunto de datos '%1' no está en modo de edición o inserción"));
}

void SClientDataSet::Private::refuse(const QString& message) const
{
    throw ModuleError(message.arg(q->objectName()));
}

void SClientDataSet::Private::checkBrowsing()
{
    checkActive();
    checkNotCalculating();
    q->checkBrowseMode();
}

void SClientDataSet::Private::resync()
{
    invalidateCalculated();
    recalculateCurrent();
    notifyRow(-1);
    notifyData(nullptr);
    notifyCurrentRow();
}

void SClientDataSet::Private::setState(DataSetState newState)
{
    if (state == newState)
        return;
    state = newState;
    notifyState();
}

void SClientDataSet::Private::notifyState()
{
    if (disableCount > 0)
        return;
    const auto current = sources;
    for (const auto& source : current) {
        if (source)
            source->notifyStateChanged();
    }
    emit q->stateChanged();
}

void SClientDataSet::Private::notifyData(Field* field)
{
    if (disableCount > 0)
        return;
    const auto current = sources;
    for (const auto& source : current) {
        if (source)
            source->notifyDataChanged(field);
    }
    emit q->dataChanged(field);
}

void SClientDataSet::Private::notifyRow(int row)
{
    if (disableCount == 0)
        emit q->rowChanged(row);
}

void SClientDataSet::Private::notifyCurrentRow()
{
    if (disableCount == 0)
        emit q->currentRowChanged(cursor);
}

void SClientDataSet::Private::pushPendingEdits()
{
    if (disableCount > 0)
        return;
    const auto current = sources;
    for (const auto& source : current) {
        if (source)
            source->updateData();
    }
}

void SClientDataSet::Private::indexFields()
{
    dataFields.clear();
    computedFields.clear();
    places.clear();
    dataColumnNames.clear();
    for (const auto& f : fields) {
        const int i = f->index();
        if (f->kind() == FieldKind::Data) {
            places.append(int(dataFields.size()));
            dataFields.append(i);
            dataColumnNames.append(columnNames.value(i, f->fieldName().toUpper()));
        } else {
            places.append(int(computedFields.size()));
            computedFields.append(i);
        }
    }
    hasComputedFields = !computedFields.isEmpty();
}

void SClientDataSet::Private::dropResultFields()
{
    if (state != DataSetState::Inactive || fields.size() == size_t(declaredCount))
        return;
    emit q->rowsAboutToBeReset();
    fields.resize(size_t(declaredCount));
    columnNames = columnNames.mid(0, declaredCount);
    indexFields();
    emit q->rowsReset();
}

QVariantList SClientDataSet::Private::blankRecord() const
{
    QVariantList values;
    values.resize(qsizetype(fields.size()));
    return values;
}

QVariantList SClientDataSet::Private::record(const tavrel::RowStore::Row& row) const
{
    QVariantList values = blankRecord();
    for (qsizetype i = 0; i < dataFields.size(); ++i)
        values[dataFields[i]] = row.values.at(i);
    for (qsizetype i = 0; i < row.computed.size() && i < computedFields.size(); ++i)
        values[computedFields[i]] = row.computed.at(i);
    return values;
}

QVariantList SClientDataSet::Private::dataValues(const QVariantList& values) const
{
    QVariantList data;
    data.reserve(dataFields.size());
    for (int i : dataFields)
        data.append(values.at(i));
    return data;
}

QVariant SClientDataSet::Private::storedValue(const tavrel::RowStore::Row& row,
                                              int fieldIndex) const
{
    const int place = places.at(fieldIndex);
    if (fields[size_t(fieldIndex)]->kind() == FieldKind::Data)
        return row.values.at(place);
    return place < row.computed.size() ? row.computed.at(place) : QVariant();
}

tavrel::DataPacket SClientDataSet::Private::fetch()
{
    if (providerName.isEmpty())
        refuse(QStringLiteral("El conjunto de datos '%1' no tiene proveedor"));
    if (!remoteServer)
        refuse(QStringLiteral("El conjunto de datos '%1' no tiene servidor remoto"));
    remoteServer->open();
    // A row's calculation reads names from the connection's lists; a dataset whose rows
    // are calculated reads them anew with its rows, so they are as fresh as the rows.
    if (nameList.declared() && CalculationScope::running > 0)
        return remoteServer->nameLists().rows(*remoteServer->appServer(), providerName, nameList,
                                              command.params(), dataColumnNames);
    if (q->OnCalcFields)
        remoteServer->nameLists().clear();
    return remoteServer->openProvider(providerName, command.text(), command.params());
}

void SClientDataSet::Private::declareNameList()
{
    if (remoteServer && nameList.declared() && !providerName.isEmpty())
        remoteServer->nameLists().declare(providerName, nameList);
}

SClientDataSet::Private::Loaded SClientDataSet::Private::load(tavrel::DataPacket&& packet)
{
    Loaded out;
    QList<int> source;    // per data field: its packet column
    QList<Field*> target; // the data fields
    if (declaredCount == 0) {
        const bool keep = sameColumns(fields, packet);
        for (int c = 0; c < packet.columns.size(); ++c) {
            const tavrel::ColumnInfo& column = packet.columns[c];
            if (!keep) {
                out.created.push_back(std::unique_ptr<Field>(
                    new Field(q, column.name, column.type, column.size, FieldKind::Data, c)));
            }
            target.append(keep ? fields[size_t(c)].get() : out.created.back().get());
            source.append(c);
            out.columnNames.append(column.name);
        }
    } else {
        for (int i = 0; i < declaredCount; ++i) {
            Field* f = fields[size_t(i)].get();
            const int column = packet.columnIndex(f->fieldName());
            if (f->kind() == FieldKind::Data && column < 0) {
                throw ModuleError(QStringLiteral("El campo '%1' de '%2' no está en el resultado "
                                                 "de la consulta")
                                      .arg(f->fieldName(), q->objectName()));
            }
            if (f->kind() == FieldKind::Data) {
                target.append(f);
                source.append(column);
            }
            out.columnNames.append(column >= 0 ? packet.columns[column].name
                                               : f->fieldName().toUpper());
        }
    }

    QList<bool> sameType;
    bool asItCame = source.size() == packet.columns.size();
    for (int i = 0; i < source.size(); ++i) {
        sameType.append(packet.columns[source[i]].type == target[i]->dataType());
        asItCame = asItCame && source[i] == i;
    }
    // A value is kept when it has the field's type and, as text, fits its size.
    const auto fits = [&](const QVariant& raw, int i) {
        if (!sameType[i])
            return false;
        if (raw.typeId() != QMetaType::QString || target[i]->size() == 0)
            return true;
        return static_cast<const QString*>(raw.constData())->size() <= target[i]->size();
    };

    out.rows.reserve(packet.rows.size());
    for (QVariantList& packetRow : packet.rows) {
        if (asItCame) {
            for (int i = 0; i < target.size(); ++i) {
                if (!fits(packetRow.at(i), i))
                    packetRow[i] = target[i]->convert(packetRow.at(i));
            }
            out.rows.append(std::move(packetRow));
            continue;
        }
        QVariantList values;
        values.resize(target.size());
        for (int i = 0; i < target.size(); ++i) {
            const QVariant& raw = packetRow.at(source[i]);
            values[i] = fits(raw, i) ? raw : target[i]->convert(raw);
        }
        packetRow = QVariantList();
        out.rows.append(std::move(values));
    }
    packet.rows.clear();
    out.keys = std::move(packet.rowKeys);
    return out;
}

void SClientDataSet::Private::install(Loaded&& loaded)
{
    emit q->rowsAboutToBeReset();
    if (declaredCount == 0 && !loaded.created.empty()) {
        fields.clear();
        for (auto& f : loaded.created)
            fields.push_back(std::move(f));
    }
    columnNames = loaded.columnNames;
    indexFields();
    rows.load(std::move(loaded.rows), loaded.keys);
    cursor = rows.count() > 0 ? 0 : -1;
    bof = true;
    eof = rows.count() == 0;
    buffer.clear();
    modified = false;
    putBack = false;
    inMemory = false;
    state = DataSetState::Browse;
    emit q->rowsReset();
}

void SClientDataSet::Private::calculate(QVariantList& target, int row)
{
    CalculationScope scope(calcTarget, calcRow, state, &target, row);
    for (const auto& f : fields) {
        if (f->kind() != FieldKind::Data)
            target[f->index()] = QVariant();
    }
    for (const auto& f : fields) {
        if (f->kind() == FieldKind::Lookup)
            target[f->index()] = lookupValue(*f, target);
    }
    fire(q->OnCalcFields);
}

void SClientDataSet::Private::ensureCalculated(int row)
{
    if (!hasComputedFields)
        return;
    tavrel::RowStore::Row& r = rows.row(row);
    if (r.calculatedIn == calculation)
        return;
    // Marked first: a failing handler is not run again for every repaint of the row.
    r.calculatedIn = calculation;
    QVariantList values = record(r);
    // What a failing handler left is kept too, as the row shows it.
    const auto keep = [&] {
        tavrel::RowStore::Row& stored = rows.row(row);
        stored.computed.resize(computedFields.size());
        for (qsizetype i = 0; i < computedFields.size(); ++i)
            stored.computed[i] = values.at(computedFields[i]);
    };
    try {
        calculate(values, row);
    } catch (...) {
        keep();
        throw;
    }
    keep();
}

void SClientDataSet::Private::recalculateCurrent()
{
    if (cursor < 0 || !hasComputedFields)
        return;
    if (editing()) {
        calculate(buffer);
    } else {
        rows.row(cursor).calculatedIn = 0;
        ensureCalculated(cursor);
    }
}

void SClientDataSet::Private::invalidateCalculated()
{
    if (!hasComputedFields)
        return;
    ++calculation;
}

QVariant SClientDataSet::Private::lookupValue(const Field& field, const QVariantList& values)
{
    SClientDataSet* other = field.lookupDataSet();
    if (!other || !other->active())
        return QVariant();
    QVariantList keys;
    for (Field* key : fieldList(field.keyField())) {
        const QVariant& v = values.at(key->index());
        if (tavrel::isNull(v))
            return QVariant();
        keys.append(v);
    }
    return field.convert(other->lookup(field.lookupKeyField(), keys, field.lookupResultField()));
}

QList<Field*> SClientDataSet::Private::fieldList(const QString& names) const
{
    QList<Field*> list;
    for (const QString& name : tavrel::RecordLocator::splitFieldNames(names))
        list.append(q->fieldByName(name));
    if (list.isEmpty())
        refuse(QStringLiteral("No se indicaron campos de búsqueda en '%1'"));
    return list;
}

int SClientDataSet::Private::findRow(const QString& fieldNames, const QVariantList& values,
                                     tavrel::LocateOptions options)
{
    const QList<Field*> keys = fieldList(fieldNames);
    QList<tavrel::FieldType> types;
    for (Field* f : keys)
        types.append(f->dataType());
    const tavrel::RecordLocator locator(types, values, options);
    if (const Field* key = indexedKey(keys)) {
        const QString searched =
            tavrel::isNull(values.first()) ? QString() : values.first().toString();
        return textIndex(*key, options.testFlag(tavrel::LocateOption::CaseInsensitive))
            .firstRow(searched, options.testFlag(tavrel::LocateOption::PartialKey));
    }
    QVariantList keyValues;
    keyValues.resize(keys.size());
    for (int row = 0; row < rows.count(); ++row) {
        for (qsizetype k = 0; k < keys.size(); ++k)
            keyValues[k] = q->valueAt(row, keys[k]->index());
        if (locator.matches(keyValues))
            return row;
    }
    return -1;
}

const Field* SClientDataSet::Private::indexedKey(const QList<Field*>& keys) const
{
    if (keys.size() != 1 || keys.first()->kind() != FieldKind::Data || !buffer.isEmpty())
        return nullptr;
    const tavrel::FieldType type = keys.first()->dataType();
    const bool text = type == tavrel::FieldType::String || type == tavrel::FieldType::FixedChar;
    return text ? keys.first() : nullptr;
}

tavrel::TextKeyIndex& SClientDataSet::Private::textIndex(const Field& field, bool caseInsensitive)
{
    if (locateVersion != rows.version()) {
        locateIndexes.clear();
        locateVersion = rows.version();
    }
    for (LocateIndex& cached : locateIndexes) {
        if (cached.field == field.index() && cached.caseInsensitive == caseInsensitive)
            return *cached.index;
    }
    // A few columns are searched in turn; the oldest index goes.
    if (locateIndexes.size() >= 4)
        locateIndexes.erase(locateIndexes.begin());
    QStringList texts;
    texts.reserve(rows.count());
    const int place = places.at(field.index());
    for (int row = 0; row < rows.count(); ++row) {
        const QVariant& value = rows.row(row).values.at(place);
        texts.append(tavrel::isNull(value) ? QString() : value.toString());
    }
    locateIndexes.push_back({field.index(), caseInsensitive,
                             std::make_unique<tavrel::TextKeyIndex>(texts, caseInsensitive)});
    return *locateIndexes.back().index;
}

void SClientDataSet::Private::moveCursor(int row)
{
    cursor = row;
    recalculateCurrent();
    notifyData(nullptr);
    notifyCurrentRow();
}

void SClientDataSet::Private::putBackLastChange()
{
    const tavrel::RowStore::LastChange last = rows.lastChange();
    if (last.rowId == 0)
        return;
    if (last.kind == tavrel::DeltaRow::Kind::Delete) {
        const int position = rows.deletedPosition(last.rowId);
        emit q->rowsAboutToBeInserted(position, position);
        rows.restoreDeleted(last.rowId);
        emit q->rowsInserted(position, position);
        bof = eof = false;
        moveCursor(position);
        return;
    }
    const int index = rows.indexOfId(last.rowId);
    if (index < 0)
        return;
    cursor = index;
    ensureCalculated(index);
    buffer = record(rows.row(index));
    modified = true;
    putBack = true;
    const bool inserted = rows.row(index).status == tavrel::RowStore::Status::Inserted;
    setState(inserted ? DataSetState::Insert : DataSetState::Edit);
    notifyData(nullptr);
    notifyCurrentRow();
}

void SClientDataSet::Private::insertRecord(bool append)
{
    checkBrowsing();
    fire(q->BeforeInsert);
    fire(q->BeforeScroll);
    const int position = append ? rows.count() : std::max(cursor, 0);
    emit q->rowsAboutToBeInserted(position, position);
    rows.addNew(position, dataValues(blankRecord()));
    emit q->rowsInserted(position, position);
    cursor = position;
    bof = eof = false;
    buffer = blankRecord();
    modified = false;
    putBack = false;
    invalidateCalculated();
    rows.row(position).calculatedIn = calculation; // starts with its calculations cleared
    setState(DataSetState::Insert);
    try {
        fire(q->OnNewRecord);
    } catch (...) {
        // A new record that cannot be initialised is not kept.
        emit q->rowsAboutToBeRemoved(position, position);
        rows.discard(position);
        emit q->rowsRemoved(position, position);
        buffer.clear();
        cursor = std::min(position, rows.count() - 1);
        setState(DataSetState::Browse);
        notifyData(nullptr);
        throw;
    }
    modified = false;
    notifyRow(-1);
    notifyData(nullptr);
    notifyCurrentRow();
    fire(q->AfterInsert);
    fire(q->AfterScroll);
}

int SClientDataSet::Private::apply()
{
    QList<quint64> insertedIds;
    const tavrel::Delta delta = rows.delta(dataColumnNames, &insertedIds);
    if (delta.rows.isEmpty())
        return 0;
    try {
        for (const tavrel::DeltaRow& row : delta.rows) {
            if (row.kind != tavrel::DeltaRow::Kind::Insert && row.rowKey < 0) {
                refuse(QStringLiteral("Los cambios de '%1' no se pueden guardar: la consulta "
                                      "no identifica sus filas en el servidor"));
            }
        }
        if (!remoteServer)
            refuse(QStringLiteral("El conjunto de datos '%1' no tiene servidor remoto"));
        remoteServer->open();
        const QList<qint64> keys = remoteServer->appServer()->applyUpdates(providerName, delta);
        rows.acceptChanges(insertedIds, keys);
    } catch (...) {
        try {
            putBackLastChange();
        } catch (...) {
            // The refusal of the server is the error to report.
        }
        throw;
    }
    emit q->updatesApplied(delta);
    return int(delta.rows.size());
}

void SClientDataSet::Private::assign(Field& field, const QVariant& value)
{
    if (field.dataSet() != q)
        return;
    if (state == DataSetState::CalcFields) {
        if (field.kind() == FieldKind::Data) {
            throw ModuleError(QStringLiteral("El campo '%1' no se puede modificar mientras se "
                                             "calculan los campos de '%2'")
                                  .arg(field.fieldName(), q->objectName()));
        }
        (*calcTarget)[field.index()] = field.convert(value);
        return;
    }
    checkEditing();
    if (field.kind() != FieldKind::Data) {
        throw ModuleError(QStringLiteral("El campo '%1' de '%2' es calculado y no se puede "
                                         "modificar")
                              .arg(field.fieldName(), q->objectName()));
    }
    if (field.readOnly()) {
        throw ModuleError(QStringLiteral("El campo '%1' de '%2' es de solo lectura")
                              .arg(field.fieldName(), q->objectName()));
    }
    const QVariant converted = field.convert(value);
    if (field.OnValidate) {
        ProposalScope proposal(proposing, proposed, &field, converted);
        field.OnValidate(field);
    }
    checkEditing();
    buffer[field.index()] = converted;
    modified = true;
    if (hasComputedFields)
        calculate(buffer);
    if (field.OnChange)
        field.OnChange(field);
    notifyData(&field);
    notifyRow(cursor);
}
