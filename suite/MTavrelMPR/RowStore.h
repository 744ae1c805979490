#pragma once

#include "Delta.h"
#include "MTavrelMPRExport.h"

#include <QList>
#include <QStringList>
#include <QVariantList>
#include <vector>

namespace tavrel {

// The rows of a client dataset and the log of their changes since they were last read
// from or applied to the server.
//
// Each row holds the values of the dataset's data fields, in the order of those fields
// (a packet row whose columns are in that order is kept as it arrives), and apart from
// them the values of the lookup and calculated fields, which the dataset computes for
// the rows it is asked for. Only the data values are logged and sent. A row's change
// status merges every post and delete into what the server has to do: a row inserted
// and then edited is still one insert, a row edited twice is one modification against
// the values first read, a row inserted and deleted is nothing at all.
class MTAVRELMPR_EXPORT RowStore
{
public:
    enum class Status
    {
        New,       // being inserted, not posted yet
        Unchanged, // as the server has it
        Inserted,  // posted, not applied
        Modified,  // posted changes, not applied
    };

    struct Row
    {
        quint64 id = 0;        // stable while the row lives, also across deletes and restores
        qint64 key = -1;       // the server's technical key; -1 when there is none
        QVariantList values;   // data fields
        QVariantList computed; // lookup and calculated fields; empty until computed
        QVariantList original; // the data values as the server has them (Modified rows only)
        Status status = Status::Unchanged;
        int changeOrder = 0; // when the row entered the log, for the order of the delta
        // The computed values are current when this equals the dataset's calculation
        // generation; 0: never.
        quint64 calculatedIn = 0;
    };

    // What the last post or delete logged, so that a refused apply can put it back.
    struct LastChange
    {
        DeltaRow::Kind kind = DeltaRow::Kind::Insert;
        quint64 rowId = 0; // 0: nothing to put back
    };

    // The rows of an open, taken over without copying their values.
    void load(QList<QVariantList>&& rows, const QList<qint64>& keys);
    void clear();

    int count() const { return int(m_rows.size()); }
    Row& row(int index) { return m_rows[size_t(index)]; }
    const Row& row(int index) const { return m_rows[size_t(index)]; }
    int indexOfId(quint64 id) const;
    int indexOfKey(qint64 key) const;

    // A blank New row at the position; returns the position.
    int addNew(int position, const QVariantList& values);
    // Stores posted data values and logs the change.
    void post(int index, const QVariantList& values);
    // Removes a row; logs a delete unless the server never had it.
    void remove(int index);
    // Removes a row without logging anything (a cancelled insert).
    void discard(int index);
    // A Modified row goes back to the values the server has.
    void restoreOriginal(int index);
    // Where restoreDeleted() will put a deleted row back; -1 when unknown.
    int deletedPosition(quint64 rowId) const;
    // Puts a logged delete back where the row was; returns its index, -1 when unknown.
    int restoreDeleted(quint64 rowId);
    // Drops the whole log: inserts removed, modifications undone, deletes restored.
    void cancelChanges();

    int changeCount() const;
    LastChange lastChange() const { return m_lastChange; }
    // Changes with every call that adds, removes or stores rows (not with calculated
    // values written through row()), so that what was built from the rows can tell it
    // is out of date.
    quint64 version() const { return m_version; }

    // The logged changes in the order they were made. Columns are named by
    // columnNames (one per data field). insertedIds receives the ids of the inserted
    // rows in delta order.
    Delta delta(const QStringList& columnNames, QList<quint64>* insertedIds) const;
    // The server applied the log: inserted rows get their keys, everything becomes
    // Unchanged and the log is empty.
    void acceptChanges(const QList<quint64>& insertedIds, const QList<qint64>& keys);

private:
    struct Deleted
    {
        Row row;
        int position = 0;
        int deleteOrder = 0;
    };

    quint64 m_nextId = 1;
    quint64 m_version = 0;
    int m_nextOrder = 1;
    std::vector<Row> m_rows;
    std::vector<Deleted> m_deleted;
    LastChange m_lastChange;
};

} // namespace tavrel
