#include "DataSource.h"

#include "SClientDataSet.h"

#include <QList>
#include <QPointer>
#include <algorithm>

namespace tavrel {

struct DataSource::Private
{
    struct UpdateHandler
    {
        QObject* owner;
        std::function<void()> handler;
    };

    QPointer<SClientDataSet> dataSet;
    bool enabled = true;
    bool autoEdit = true;
    QList<UpdateHandler> updateHandlers;
    QMetaObject::Connection destroyedConnection;
};

DataSource::DataSource(QObject* parent) : QObject(parent), d(std::make_unique<Private>()) {}

DataSource::~DataSource()
{
    if (d->dataSet)
        d->dataSet->detachSource(this);
}

SClientDataSet* DataSource::dataSet() const
{
    return d->dataSet;
}

void DataSource::setDataSet(SClientDataSet* dataSet)
{
    if (d->dataSet == dataSet)
        return;
    if (d->dataSet) {
        d->dataSet->detachSource(this);
        disconnect(d->destroyedConnection);
    }
    d->dataSet = dataSet;
    if (dataSet) {
        dataSet->attachSource(this);
        d->destroyedConnection = connect(dataSet, &QObject::destroyed, this, [this] {
            emit dataSetChanged();
            emit stateChanged();
        });
    }
    emit dataSetChanged();
    notifyStateChanged();
    notifyDataChanged(nullptr);
}

bool DataSource::enabled() const
{
    return d->enabled;
}

void DataSource::setEnabled(bool enabled)
{
    if (d->enabled == enabled)
        return;
    d->enabled = enabled;
    // Announced both ways: disabled, the controls see the state Inactive.
    if (OnStateChange)
        OnStateChange(*this);
    emit stateChanged();
    if (OnDataChange)
        OnDataChange(*this, nullptr);
    emit dataChanged(nullptr);
}

bool DataSource::autoEdit() const
{
    return d->autoEdit;
}

void DataSource::setAutoEdit(bool autoEdit)
{
    d->autoEdit = autoEdit;
}

DataSetState DataSource::state() const
{
    return d->dataSet && d->enabled ? d->dataSet->state() : DataSetState::Inactive;
}

bool DataSource::edit()
{
    if (state() == DataSetState::Browse && d->autoEdit)
        d->dataSet->edit();
    return state() == DataSetState::Edit || state() == DataSetState::Insert;
}

void DataSource::addUpdateHandler(QObject* owner, std::function<void()> handler)
{
    const bool known = std::any_of(d->updateHandlers.begin(), d->updateHandlers.end(),
                                   [owner](const auto& h) { return h.owner == owner; });
    d->updateHandlers.append({owner, std::move(handler)});
    if (!known)
        connect(owner, &QObject::destroyed, this, [this, owner] { removeUpdateHandlers(owner); });
}

void DataSource::removeUpdateHandlers(QObject* owner)
{
    d->updateHandlers.removeIf([owner](const auto& h) { return h.owner == owner; });
}

void DataSource::notifyStateChanged()
{
    if (!d->enabled)
        return;
    if (OnStateChange)
        OnStateChange(*this);
    emit stateChanged();
}

void DataSource::notifyDataChanged(Field* field)
{
    if (!d->enabled)
        return;
    if (OnDataChange)
        OnDataChange(*this, field);
    emit dataChanged(field);
}

void DataSource::updateData()
{
    if (!d->enabled)
        return;
    const auto handlers = d->updateHandlers;
    for (const auto& h : handlers)
        h.handler();
}

} // namespace tavrel
