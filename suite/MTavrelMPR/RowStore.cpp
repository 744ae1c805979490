#include "RowStore.h"

#include "FieldType.h"

#include <algorithm>

namespace tavrel {

namespace {

bool sameValue(const QVariant& a, const QVariant& b)
{
    if (isNull(a) || isNull(b))
        return isNull(a) == isNull(b);
    return a == b;
}

bool sameData(const QVariantList& a, const QVariantList& b)
{
    for (qsizetype i = 0; i < a.size(); ++i) {
        if (!sameValue(a.at(i), b.at(i)))
            return false;
    }
    return true;
}

} // namespace

void RowStore::load(QList<QVariantList>&& rows, const QList<qint64>& keys)
{
    ++m_version;
    clear();
    m_rows.reserve(size_t(rows.size()));
    for (int i = 0; i < rows.size(); ++i) {
        Row row;
        row.id = m_nextId++;
        row.key = i < keys.size() ? keys[i] : -1;
        row.values = std::move(rows[i]);
        m_rows.push_back(std::move(row));
    }
    rows.clear();
}

void RowStore::clear()
{
    ++m_version;
    m_rows.clear();
    m_deleted.clear();
    m_lastChange = {};
}

int RowStore::indexOfId(quint64 id) const
{
    for (size_t i = 0; i < m_rows.size(); ++i) {
        if (m_rows[i].id == id)
            return int(i);
    }
    return -1;
}

int RowStore::indexOfKey(qint64 key) const
{
    if (key < 0)
        return -1;
    for (size_t i = 0; i < m_rows.size(); ++i) {
        if (m_rows[i].key == key)
            return int(i);
    }
    return -1;
}

int RowStore::addNew(int position, const QVariantList& values)
{
    ++m_version;
    Row row;
    row.id = m_nextId++;
    row.values = values;
    row.status = Status::New;
    position = std::clamp(position, 0, count());
    m_rows.insert(m_rows.begin() + position, std::move(row));
    return position;
}

void RowStore::post(int index, const QVariantList& values)
{
    ++m_version;
    Row& row = m_rows[size_t(index)];
    switch (row.status) {
    case Status::New:
        row.status = Status::Inserted;
        row.changeOrder = m_nextOrder++;
        [[fallthrough]];
    case Status::Inserted:
        row.values = values;
        m_lastChange = {DeltaRow::Kind::Insert, row.id};
        return;
    case Status::Unchanged:
        if (sameData(row.values, values)) {
            row.values = values;
            m_lastChange = {};
            return;
        }
        row.original = row.values;
        row.status = Status::Modified;
        row.changeOrder = m_nextOrder++;
        break;
    case Status::Modified:
        if (sameData(row.original, values)) {
            row.values = values;
            row.original.clear();
            row.status = Status::Unchanged;
            row.changeOrder = 0;
            m_lastChange = {};
            return;
        }
        break;
    }
    row.values = values;
    m_lastChange = {DeltaRow::Kind::Modify, row.id};
}

void RowStore::remove(int index)
{
    Row& row = m_rows[size_t(index)];
    if (row.status == Status::New || row.status == Status::Inserted) {
        m_lastChange = {};
    } else {
        m_lastChange = {DeltaRow::Kind::Delete, row.id};
        m_deleted.push_back({row, index, m_nextOrder++});
    }
    discard(index);
}

void RowStore::discard(int index)
{
    ++m_version;
    m_rows.erase(m_rows.begin() + index);
}

void RowStore::restoreOriginal(int index)
{
    ++m_version;
    Row& row = m_rows[size_t(index)];
    if (row.status != Status::Modified)
        return;
    row.values = std::move(row.original);
    row.original.clear();
    row.status = Status::Unchanged;
    row.changeOrder = 0;
    row.calculatedIn = 0;
    if (m_lastChange.rowId == row.id)
        m_lastChange = {};
}

int RowStore::deletedPosition(quint64 rowId) const
{
    for (const Deleted& d : m_deleted) {
        if (d.row.id == rowId)
            return std::clamp(d.position, 0, count());
    }
    return -1;
}

int RowStore::restoreDeleted(quint64 rowId)
{
    ++m_version;
    const auto it = std::find_if(m_deleted.begin(), m_deleted.end(),
                                 [&](const Deleted& d) { return d.row.id == rowId; });
    if (it == m_deleted.end())
        return -1;
    const int position = std::clamp(it->position, 0, count());
    m_rows.insert(m_rows.begin() + position, it->row);
    m_rows[size_t(position)].calculatedIn = 0;
    m_deleted.erase(it);
    if (m_lastChange.rowId == rowId)
        m_lastChange = {};
    return position;
}

void RowStore::cancelChanges()
{
    ++m_version;
    std::sort(m_deleted.begin(), m_deleted.end(),
              [](const Deleted& a, const Deleted& b) { return a.deleteOrder > b.deleteOrder; });
    while (!m_deleted.empty())
        restoreDeleted(m_deleted.front().row.id);
    for (int i = count() - 1; i >= 0; --i) {
        if (m_rows[size_t(i)].status == Status::Inserted)
            discard(i);
        else
            restoreOriginal(i);
    }
    m_lastChange = {};
}

int RowStore::changeCount() const
{
    const auto logged = std::count_if(m_rows.begin(), m_rows.end(), [](const Row& r) {
        return r.status == Status::Inserted || r.status == Status::Modified;
    });
    return int(logged) + int(m_deleted.size());
}

Delta RowStore::delta(const QStringList& columnNames, QList<quint64>* insertedIds) const
{
    struct Entry
    {
        int order;
        DeltaRow row;
        quint64 id;
    };
    std::vector<Entry> entries;
    auto columns = [&](const QVariantList& values, bool onlyChanged, const QVariantList& base) {
        QVariantMap map;
        for (qsizetype i = 0; i < columnNames.size(); ++i) {
            if (!onlyChanged || !sameValue(values.at(i), base.at(i)))
                map.insert(columnNames.at(i), values.at(i));
        }
        return map;
    };
    for (const Row& r : m_rows) {
        DeltaRow d;
        d.rowKey = r.key;
        if (r.status == Status::Inserted) {
            d.kind = DeltaRow::Kind::Insert;
            d.rowKey = -1;
            d.values = columns(r.values, false, {});
        } else if (r.status == Status::Modified) {
            d.kind = DeltaRow::Kind::Modify;
            d.original = columns(r.original, false, {});
            d.values = columns(r.values, true, r.original);
        } else {
            continue;
        }
        entries.push_back({r.changeOrder, d, r.id});
    }
    for (const Deleted& del : m_deleted) {
        DeltaRow d;
        d.kind = DeltaRow::Kind::Delete;
        d.rowKey = del.row.key;
        const bool modified = del.row.status == Status::Modified;
        d.original = columns(modified ? del.row.original : del.row.values, false, {});
        entries.push_back({del.deleteOrder, d, del.row.id});
    }
    std::sort(entries.begin(), entries.end(),
              [](const Entry& a, const Entry& b) { return a.order < b.order; });

    Delta result;
    for (const Entry& e : entries) {
        if (e.row.kind == DeltaRow::Kind::Insert && insertedIds)
            insertedIds->append(e.id);
        result.rows.append(e.row);
    }
    return result;
}

void RowStore::acceptChanges(const QList<quint64>& insertedIds, const QList<qint64>& keys)
{
    for (int i = 0; i < insertedIds.size(); ++i) {
        const int index = indexOfId(insertedIds[i]);
        if (index >= 0)
            m_rows[size_t(index)].key = keys.value(i, -1);
    }
    for (Row& r : m_rows) {
        if (r.status == Status::New)
            continue;
        r.status = Status::Unchanged;
        r.original.clear();
        r.changeOrder = 0;
    }
    m_deleted.clear();
    m_lastChange = {};
}

} // namespace tavrel
