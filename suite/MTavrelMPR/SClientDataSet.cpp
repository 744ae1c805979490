#include "SClientDataSet.h"

#include "ComponentLog.h"
#include "ModuleError.h"
#include "SClientDataSetPrivate.h"

#include <QElapsedTimer>
#include <algorithm>

using tavrel::DataSetState;
using tavrel::Field;
using tavrel::FieldKind;
using tavrel::ModuleError;

namespace {} // namespace

SClientDataSet::SClientDataSet(QObject* parent)
    : QObject(parent), d(std::make_unique<Private>(this))
{}

SClientDataSet::~SClientDataSet() = default;

// ---- command text and parameters

QString SClientDataSet::commandText() const
{
    return d->command.text();
}

void SClientDataSet::setCommandText(const QString& text)
{
    d->command.setText(text);
}

QStringList SClientDataSet::sql() const
{
    return d->command.lines();
}

void SClientDataSet::setSQL(const QStringList& lines)
{
    d->command.setLines(lines);
}

const tavrel::ParamList& SClientDataSet::params() const
{
    return d->command.params();
}

int SClientDataSet::paramCount() const
{
    return int(d->command.params().size());
}

tavrel::Param& SClientDataSet::param(int index)
{
    return d->command.params()[index];
}

tavrel::Param& SClientDataSet::paramByName(const QString& name)
{
    if (tavrel::Param* p = findParam(name))
        return *p;
    throw ModuleError(
        QStringLiteral("El parámetro '%1' no existe en '%2'").arg(name, objectName()));
}

tavrel::Param* SClientDataSet::findParam(const QString& name)
{
    return d->command.findParam(name);
}

QString SClientDataSet::providerName() const
{
    return d->providerName;
}

void SClientDataSet::setProviderName(const QString& name)
{
    d->providerName = name;
}

SDCOMConnection* SClientDataSet::remoteServer() const
{
    return d->remoteServer;
}

void SClientDataSet::setRemoteServer(SDCOMConnection* connection)
{
    d->remoteServer = connection;
    d->declareNameList();
}

const tavrel::NameListQuery& SClientDataSet::nameList() const
{
    return d->nameList;
}

void SClientDataSet::setNameList(const tavrel::NameListQuery& list)
{
    d->nameList = list;
    d->declareNameList();
}

int SClientDataSet::company() const
{
    return d->company;
}

void SClientDataSet::setCompany(int company)
{
    d->company = company;
}

QString SClientDataSet::sMainTable() const
{
    return d->mainTable;
}

void SClientDataSet::setSMainTable(const QString& table)
{
    d->mainTable = table;
}

bool SClientDataSet::sAuditFields() const
{
    return d->auditFields;
}

void SClientDataSet::setSAuditFields(bool on)
{
    d->auditFields = on;
}

int SClientDataSet::tag() const
{
    return d->tag;
}

void SClientDataSet::setTag(int tag)
{
    d->tag = tag;
}

// ---- fields

Field* SClientDataSet::addField(const QString& name, tavrel::FieldType type, int size,
                                FieldKind kind)
{
    if (active())
        d->refuse(QStringLiteral("No se pueden definir campos de '%1' mientras está abierto"));
    if (findField(name)) {
        throw ModuleError(
            QStringLiteral("El campo '%1' ya existe en '%2'").arg(name, objectName()));
    }
    const int index = int(d->fields.size());
    d->fields.push_back(std::unique_ptr<Field>(new Field(this, name, type, size, kind, index)));
    d->declaredCount = int(d->fields.size());
    d->columnNames.append(name.toUpper());
    d->indexFields();
    return d->fields.back().get();
}

QList<Field*> SClientDataSet::fields() const
{
    QList<Field*> list;
    for (const auto& f : d->fields)
        list.append(f.get());
    return list;
}

int SClientDataSet::fieldCount() const
{
    return int(d->fields.size());
}

Field* SClientDataSet::field(int index) const
{
    return index >= 0 && index < fieldCount() ? d->fields[size_t(index)].get() : nullptr;
}

Field* SClientDataSet::fieldByName(const QString& name) const
{
    if (Field* f = findField(name))
        return f;
    throw ModuleError(
        QStringLiteral("Campo '%1' no encontrado en '%2'").arg(name.trimmed(), objectName()));
}

Field* SClientDataSet::findField(const QString& name) const
{
    const QString wanted = name.trimmed();
    for (const auto& f : d->fields) {
        if (f->fieldName().compare(wanted, Qt::CaseInsensitive) == 0)
            return f.get();
    }
    return nullptr;
}

// ---- opening and closing

DataSetState SClientDataSet::state() const
{
    return d->state;
}

bool SClientDataSet::active() const
{
    return d->state != DataSetState::Inactive;
}

void SClientDataSet::setActive(bool active)
{
    if (active)
        open();
    else
        close();
}

void SClientDataSet::open()
{
    if (active())
        return;
    d->fire(BeforeOpen);
    QElapsedTimer clock;
    clock.start();
    d->install(d->load(d->fetch()));
    qCDebug(lcDataSet) << objectName() << "opened" << d->providerName << "with" << d->rows.count()
                       << "rows in" << clock.elapsed() << "ms";
    d->notifyState();
    d->recalculateCurrent();
    d->notifyData(nullptr);
    d->notifyCurrentRow();
    d->fire(AfterOpen);
    if (!isEmpty())
        d->fire(AfterScroll);
}

tavrel::BatchCall SClientDataSet::openCall() const
{
    return tavrel::BatchCall::open(d->providerName, d->command.text(), d->command.params());
}

void SClientDataSet::close()
{
    if (!active())
        return;
    d->checkNotCalculating();
    d->fire(BeforeClose);
    emit rowsAboutToBeReset();
    d->state = DataSetState::Inactive;
    d->rows.clear();
    d->buffer.clear();
    d->modified = false;
    d->putBack = false;
    d->cursor = -1;
    d->bof = d->eof = true;
    d->inMemory = false;
    emit rowsReset();
    // The fields made from the result stay (reading null) while the handlers run.
    try {
        d->notifyState();
        d->notifyCurrentRow();
        d->fire(AfterClose);
    } catch (...) {
        d->dropResultFields();
        throw;
    }
    d->dropResultFields();
}

void SClientDataSet::createDataSet()
{
    if (active())
        d->refuse(QStringLiteral("El conjunto de datos '%1' ya está abierto"));
    if (d->dataFields.isEmpty())
        d->refuse(QStringLiteral("El conjunto de datos '%1' no tiene campos definidos"));
    d->fire(BeforeOpen);
    Private::Loaded empty;
    for (const auto& f : d->fields)
        empty.columnNames.append(f->fieldName().toUpper());
    d->install(std::move(empty));
    d->inMemory = true;
    d->notifyState();
    d->notifyData(nullptr);
    d->fire(AfterOpen);
}

void SClientDataSet::refresh()
{
    d->checkBrowsing();
    if (!d->inMemory) {
        if (changeCount() > 0) {
            d->refuse(QStringLiteral("'%1' tiene cambios sin enviar al servidor; aplíquelos o "
                                     "cancélelos antes de refrescar"));
        }
        const qint64 key = d->cursor >= 0 ? d->rows.row(d->cursor).key : -1;
        const int oldCursor = d->cursor;
        QElapsedTimer clock;
        clock.start();
        d->install(d->load(d->fetch()));
        qCDebug(lcDataSet) << objectName() << "refreshed" << d->providerName << "with"
                           << d->rows.count() << "rows in" << clock.elapsed() << "ms";
        const int byKey = d->rows.indexOfKey(key);
        d->cursor = byKey >= 0 ? byKey : std::min(oldCursor, d->rows.count() - 1);
        d->bof = d->eof = isEmpty();
    }
    d->resync();
}

// ---- navigation

void SClientDataSet::first()
{
    d->checkBrowsing();
    d->fire(BeforeScroll);
    d->bof = true;
    d->eof = isEmpty();
    d->moveCursor(isEmpty() ? -1 : 0);
    d->fire(AfterScroll);
}

void SClientDataSet::last()
{
    d->checkBrowsing();
    d->fire(BeforeScroll);
    d->eof = true;
    d->bof = isEmpty();
    d->moveCursor(d->rows.count() - 1);
    d->fire(AfterScroll);
}

void SClientDataSet::next()
{
    moveBy(1);
}

void SClientDataSet::prior()
{
    moveBy(-1);
}

int SClientDataSet::moveBy(int distance)
{
    d->checkBrowsing();
    if (distance == 0)
        return 0;
    d->fire(BeforeScroll);
    if ((distance > 0 && d->eof) || (distance < 0 && d->bof))
        return 0;
    d->bof = d->eof = false;
    int target = d->cursor + distance;
    if (target >= d->rows.count()) {
        target = d->rows.count() - 1;
        d->eof = true;
    }
    if (target < 0) {
        target = 0;
        d->bof = true;
    }
    const int moved = target - d->cursor;
    d->moveCursor(target);
    d->fire(AfterScroll);
    return moved;
}

bool SClientDataSet::eof() const
{
    return d->eof;
}

bool SClientDataSet::bof() const
{
    return d->bof;
}

int SClientDataSet::recordCount() const
{
    return d->rows.count() - (d->state == DataSetState::Insert ? 1 : 0);
}

int SClientDataSet::recNo() const
{
    return d->state == DataSetState::Insert ? 0 : d->cursor + 1;
}

int SClientDataSet::rowCount() const
{
    return d->rows.count();
}

int SClientDataSet::currentRow() const
{
    return d->cursor;
}

bool SClientDataSet::isEmpty() const
{
    return d->rows.count() == 0;
}

void SClientDataSet::setRecNo(int recNo)
{
    d->checkBrowsing();
    const int target = std::clamp(recNo - 1, 0, d->rows.count() - 1);
    if (isEmpty() || target == d->cursor)
        return;
    d->fire(BeforeScroll);
    d->bof = d->eof = false;
    d->moveCursor(target);
    d->fire(AfterScroll);
}

bool SClientDataSet::locate(const QString& fields, const QVariantList& values,
                            tavrel::LocateOptions options)
{
    d->checkBrowsing();
    d->fire(BeforeScroll);
    const int row = d->findRow(fields, values, options);
    if (row < 0)
        return false;
    d->bof = d->eof = false;
    d->moveCursor(row);
    d->fire(AfterScroll);
    return true;
}

void SClientDataSet::prepareLocate(const QString& field, tavrel::LocateOptions options)
{
    if (!active())
        return;
    if (const Field* key = d->indexedKey(d->fieldList(field)))
        d->textIndex(*key, options.testFlag(tavrel::LocateOption::CaseInsensitive));
}

QVariant SClientDataSet::lookup(const QString& keyFields, const QVariantList& keyValues,
                                const QString& resultFields)
{
    if (!active())
        return QVariant();
    const QList<Field*> results = d->fieldList(resultFields);
    const int row = d->findRow(keyFields, keyValues, {});
    if (row < 0)
        return QVariant();
    if (results.size() == 1)
        return valueAt(row, results.first()->index());
    QVariantList found;
    for (Field* f : results)
        found.append(valueAt(row, f->index()));
    return found;
}

QVariant SClientDataSet::valueAt(int row, int fieldIndex)
{
    if (row < 0 || row >= d->rows.count() || fieldIndex < 0 || fieldIndex >= fieldCount())
        return QVariant();
    if (row == d->cursor && !d->buffer.isEmpty()) // the record being edited
        return d->buffer.at(fieldIndex);
    if (d->calcTarget && row == d->calcRow)
        return d->calcTarget->at(fieldIndex);
    if (d->fields[size_t(fieldIndex)]->kind() != FieldKind::Data)
        d->ensureCalculated(row);
    return d->storedValue(d->rows.row(row), fieldIndex);
}

QVariant SClientDataSet::fieldValue(const Field& field)
{
    if (d->proposing == &field)
        return d->proposed;
    if (d->calcTarget)
        return d->calcTarget->at(field.index());
    if (d->editing())
        return d->buffer.at(field.index());
    if (!active() || d->cursor < 0)
        return QVariant();
    return valueAt(d->cursor, field.index());
}

// ---- editing

void SClientDataSet::insert()
{
    d->insertRecord(false);
}

void SClientDataSet::append()
{
    d->insertRecord(true);
}

void SClientDataSet::edit()
{
    d->checkActive();
    d->checkNotCalculating();
    if (d->editing())
        return;
    if (isEmpty()) {
        append();
        return;
    }
    d->fire(BeforeEdit);
    d->ensureCalculated(d->cursor);
    d->buffer = d->record(d->rows.row(d->cursor));
    d->modified = false;
    d->putBack = false;
    d->setState(DataSetState::Edit);
    d->notifyData(nullptr);
    d->fire(AfterEdit);
}

void SClientDataSet::post()
{
    d->checkActive();
    d->checkNotCalculating();
    d->checkEditing();
    d->pushPendingEdits();
    d->fire(BeforePost);
    d->rows.post(d->cursor, d->dataValues(d->buffer));
    d->buffer.clear();
    d->modified = false;
    d->putBack = false;
    d->setState(DataSetState::Browse);
    d->resync();
    d->fire(AfterPost);
}

void SClientDataSet::cancel()
{
    d->checkActive();
    d->checkNotCalculating();
    if (!d->editing())
        return;
    d->fire(BeforeCancel);
    if (d->state == DataSetState::Insert) {
        const int position = d->cursor;
        emit rowsAboutToBeRemoved(position, position);
        d->rows.discard(position);
        emit rowsRemoved(position, position);
        d->cursor = std::min(position, d->rows.count() - 1);
        d->bof = d->eof = isEmpty();
    } else if (d->putBack) {
        d->rows.restoreOriginal(d->cursor);
    }
    d->buffer.clear();
    d->modified = false;
    d->putBack = false;
    d->setState(DataSetState::Browse);
    d->resync();
    d->fire(AfterCancel);
}

void SClientDataSet::deleteRecord()
{
    d->checkActive();
    d->checkNotCalculating();
    if (d->state == DataSetState::Insert) {
        cancel();
        return;
    }
    if (isEmpty())
        d->refuse(QStringLiteral("No hay registros para eliminar en '%1'"));
    d->fire(BeforeDelete);
    d->fire(BeforeScroll);
    const int position = d->cursor;
    emit rowsAboutToBeRemoved(position, position);
    d->rows.remove(position);
    emit rowsRemoved(position, position);
    d->buffer.clear();
    d->modified = false;
    d->putBack = false;
    d->cursor = std::min(position, d->rows.count() - 1);
    d->bof = isEmpty();
    d->eof = isEmpty();
    d->setState(DataSetState::Browse);
    d->resync();
    d->fire(AfterDelete);
    d->fire(AfterScroll);
}

bool SClientDataSet::modified() const
{
    return d->modified;
}

void SClientDataSet::checkBrowseMode()
{
    d->checkActive();
    if (!d->editing())
        return;
    d->pushPendingEdits();
    if (d->modified)
        post();
    else
        cancel();
}

void SClientDataSet::assignField(Field& field, const QVariant& value)
{
    d->assign(field, value);
}

// ---- the server

int SClientDataSet::applyUpdates()
{
    d->checkBrowsing();
    if (d->inMemory || d->providerName.isEmpty()) {
        d->rows.acceptChanges({}, {});
        return 0;
    }
    QElapsedTimer clock;
    clock.start();
    const int applied = d->apply();
    qCDebug(lcDataSet) << objectName() << "applied" << applied << "changed rows to"
                       << d->providerName << "in" << clock.elapsed() << "ms";
    return applied;
}

int SClientDataSet::changeCount() const
{
    return d->rows.changeCount();
}

void SClientDataSet::cancelUpdates()
{
    d->checkActive();
    d->checkNotCalculating();
    if (d->editing())
        cancel();
    emit rowsAboutToBeReset();
    d->rows.cancelChanges();
    d->cursor = std::min(std::max(d->cursor, 0), d->rows.count() - 1);
    d->bof = d->eof = isEmpty();
    emit rowsReset();
    d->resync();
}

// ---- controls

void SClientDataSet::disableControls()
{
    if (d->disableCount++ == 0)
        d->stateWhenDisabled = d->state;
}

void SClientDataSet::enableControls()
{
    if (d->disableCount == 0 || --d->disableCount > 0)
        return;
    if (d->stateWhenDisabled != d->state)
        d->notifyState();
    d->notifyRow(-1);
    d->notifyData(nullptr);
    d->notifyCurrentRow();
}

bool SClientDataSet::controlsDisabled() const
{
    return d->disableCount > 0;
}

void SClientDataSet::invalidateCalculatedFields()
{
    d->checkNotCalculating();
    d->resync();
}

void SClientDataSet::attachSource(tavrel::DataSource* source)
{
    if (!d->sources.contains(source))
        d->sources.append(source);
}

void SClientDataSet::detachSource(tavrel::DataSource* source)
{
    d->sources.removeAll(source);
}
