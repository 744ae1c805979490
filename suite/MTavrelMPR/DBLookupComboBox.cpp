#include "DBLookupComboBox.h"

#include "DataSetTableModel.h"
#include "DataSource.h"
#include "ErrorReporter.h"
#include "Field.h"
#include "ModuleError.h"
#include "SClientDataSet.h"

#include <QHeaderView>
#include <QPointer>
#include <QTableView>

namespace tavrel {

struct DBLookupComboBox::Private
{
    QPointer<DataSource> source;
    QPointer<DataSource> listSource;
    QList<QMetaObject::Connection> connections;
    DataSetTableModel* model = nullptr;
    QTableView* view = nullptr;
    QString dataField;
    QString keyField;
    QString listField;
    int dropDownWidth = 0;
    bool readOnly = false;
};

DBLookupComboBox::DBLookupComboBox(QWidget* parent)
    : QComboBox(parent), d(std::make_unique<Private>())
{
    d->model = new DataSetTableModel(this);
    d->model->setReadOnly(true);
    d->model->OnError = [](const ModuleError& e) { ErrorReporter::report(e); };
    d->view = new QTableView(this);
    d->view->horizontalHeader()->hide();
    d->view->verticalHeader()->hide();
    d->view->setShowGrid(false);
    d->view->setSelectionBehavior(QAbstractItemView::SelectRows);
    d->view->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
    setModel(d->model);
    setView(d->view);
    setModelColumn(0);
    connect(d->model, &QAbstractItemModel::modelReset, this, &DBLookupComboBox::reload);
    connect(this, &QComboBox::activated, this, [this](int row) {
        if (!choose(row))
            reload();
    });
}

DBLookupComboBox::~DBLookupComboBox() = default;

DataSource* DBLookupComboBox::dataSource() const
{
    return d->source;
}

void DBLookupComboBox::setDataSource(DataSource* source)
{
    for (const auto& c : std::as_const(d->connections))
        disconnect(c);
    d->connections.clear();
    d->source = source;
    if (source) {
        d->connections << connect(source, &DataSource::dataChanged, this,
                                  &DBLookupComboBox::reload);
        d->connections << connect(source, &DataSource::stateChanged, this,
                                  &DBLookupComboBox::reload);
        d->connections << connect(source, &DataSource::dataSetChanged, this,
                                  &DBLookupComboBox::reload);
    }
    reload();
}

QString DBLookupComboBox::dataField() const
{
    return d->dataField;
}

void DBLookupComboBox::setDataField(const QString& fieldName)
{
    d->dataField = fieldName;
    reload();
}

Field* DBLookupComboBox::field() const
{
    SClientDataSet* ds = d->source ? d->source->dataSet() : nullptr;
    return ds && !d->dataField.isEmpty() ? ds->findField(d->dataField) : nullptr;
}

DataSource* DBLookupComboBox::listSource() const
{
    return d->listSource;
}

void DBLookupComboBox::setListSource(DataSource* source)
{
    d->listSource = source;
    d->model->setDataSource(source);
    reload();
}

void DBLookupComboBox::setListDataSet(SClientDataSet* dataSet)
{
    d->listSource = nullptr;
    d->model->setDataSource(nullptr);
    d->model->setDataSet(dataSet);
    reload();
}

QString DBLookupComboBox::keyField() const
{
    return d->keyField;
}

void DBLookupComboBox::setKeyField(const QString& fieldName)
{
    d->keyField = fieldName;
    reload();
}

QString DBLookupComboBox::listField() const
{
    return d->listField;
}

void DBLookupComboBox::setListField(const QString& fieldNames)
{
    d->listField = fieldNames;
    QStringList names;
    for (const QString& name : fieldNames.split(QLatin1Char(';'), Qt::SkipEmptyParts))
        names.append(name.trimmed());
    d->model->setColumns(names);
}

int DBLookupComboBox::dropDownWidth() const
{
    return d->dropDownWidth;
}

void DBLookupComboBox::setDropDownWidth(int width)
{
    d->dropDownWidth = width;
}

bool DBLookupComboBox::readOnly() const
{
    return d->readOnly;
}

void DBLookupComboBox::setReadOnly(bool readOnly)
{
    d->readOnly = readOnly;
}

QVariant DBLookupComboBox::keyValue() const
{
    SClientDataSet* list = d->model->dataSet();
    const Field* key = list ? list->findField(d->keyField) : nullptr;
    if (!key || currentIndex() < 0)
        return QVariant();
    return list->valueAt(currentIndex(), key->index());
}

int DBLookupComboBox::rowOfKey(const QVariant& key) const
{
    SClientDataSet* list = d->model->dataSet();
    const Field* keyField = list ? list->findField(d->keyField) : nullptr;
    if (!keyField || tavrel::isNull(key) || !list->active())
        return -1;
    QVariant wanted;
    try {
        wanted = tavrel::coerce(key, keyField->dataType());
    } catch (const ModuleError&) {
        return -1; // a value of another type is in no row
    }
    for (int row = 0; row < list->recordCount(); ++row) {
        if (list->valueAt(row, keyField->index()) == wanted)
            return row;
    }
    return -1;
}

void DBLookupComboBox::reload()
{
    const Field* f = field();
    const bool active = d->source && d->source->state() != DataSetState::Inactive;
    setCurrentIndex(f && active ? rowOfKey(f->value()) : -1);
}

bool DBLookupComboBox::choose(int row)
{
    if (d->readOnly)
        return false;
    return ErrorReporter::guard([this, row] {
        Field* f = field();
        SClientDataSet* list = d->model->dataSet();
        if (!f || !list || row < 0 || row >= list->recordCount())
            throw ModuleError::abort();
        const QVariant key = list->valueAt(row, list->fieldByName(d->keyField)->index());
        if (!d->source->edit())
            throw ModuleError::abort();
        f->setValue(key);
    });
}

bool DBLookupComboBox::selectKey(const QVariant& key)
{
    const int row = rowOfKey(key);
    if (row < 0 || !choose(row)) {
        reload();
        return false;
    }
    return true;
}

void DBLookupComboBox::showPopup()
{
    d->view->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    if (d->model->columnCount() > 0)
        d->view->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
    QComboBox::showPopup();
    QWidget* popup = d->view->window();
    if (popup != window())
        popup->resize(std::max(d->dropDownWidth, width()), popup->height());
}

} // namespace tavrel
