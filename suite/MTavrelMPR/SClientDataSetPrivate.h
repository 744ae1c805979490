#pragma once

// Internal to the MTavrelMPR library: the state of an SClientDataSet and the steps its
// operations share.

#include "CommandText.h"
#include "DataPacket.h"
#include "DataSource.h"
#include "NameListCache.h"
#include "RowStore.h"
#include "SClientDataSet.h"
#include "SDCOMConnection.h"
#include "TextKeyIndex.h"

#include <QPointer>
#include <vector>

struct SClientDataSet::Private
{
    explicit Private(SClientDataSet* owner) : q(owner) {}

    SClientDataSet* q;

    tavrel::CommandText command;
    QString providerName;
    QPointer<SDCOMConnection> remoteServer;
    tavrel::NameListQuery nameList;
    int company = 0;
    QString mainTable;
    bool auditFields = false;
    int tag = 0;

    // Declared fields first; those beyond declaredCount were created from a result.
    std::vector<std::unique_ptr<tavrel::Field>> fields;
    int declaredCount = 0;
    QStringList columnNames;     // per field: the packet column it is read from and sent to
    QList<int> dataFields;       // the data fields, in field order
    QList<int> computedFields;   // the lookup and calculated fields, in field order
    QList<int> places;           // per field: its place among the data or the computed fields
    QStringList dataColumnNames; // per data field: its column
    bool hasComputedFields = false;

    tavrel::RowStore rows;
    int cursor = -1;
    bool bof = true;
    bool eof = true;
    tavrel::DataSetState state = tavrel::DataSetState::Inactive;
    bool inMemory = false;

    QVariantList buffer; // the record being edited or inserted, one value per field
    bool modified = false;
    bool putBack = false; // the record came back from a refused apply

    quint64 calculation = 1;            // generation of the calculated values; see RowStore::Row
    QVariantList* calcTarget = nullptr; // the record being calculated, one value per field
    int calcRow = -1;                   // its row; -1 for the record being edited
    const tavrel::Field* proposing = nullptr; // the field being validated
    QVariant proposed;

    int disableCount = 0;
    tavrel::DataSetState stateWhenDisabled = tavrel::DataSetState::Inactive;
    QList<QPointer<tavrel::DataSource>> sources;

    // The rows of a packet read against the fields, ready to be installed.
    struct Loaded
    {
        std::vector<std::unique_ptr<tavrel::Field>> created;
        QStringList columnNames;
        QList<QVariantList> rows; // data values
        QList<qint64> keys;
    };

    // The ordered texts of the text fields searched lately, while the rows stay as they
    // were.
    struct LocateIndex
    {
        int field = -1;
        bool caseInsensitive = false;
        std::unique_ptr<tavrel::TextKeyIndex> index;
    };
    std::vector<LocateIndex> locateIndexes;
    quint64 locateVersion = 0; // the rows' version the indexes were built for

    void fire(const Event& event)
    {
        if (event)
            event(*q);
    }
    bool editing() const
    {
        return state == tavrel::DataSetState::Edit || state == tavrel::DataSetState::Insert;
    }
    void checkActive() const;
    void checkNotCalculating() const;
    void checkEditing() const;
    // Active, not calculating, and a pending edit posted or cancelled.
    void checkBrowsing();
    [[noreturn]] void refuse(const QString& message) const;

    void setState(tavrel::DataSetState newState);
    void notifyState();
    void notifyData(tavrel::Field* field);
    // After the rows changed: every calculation dropped, the current row calculated
    // again, views and data sources told.
    void resync();
    void notifyRow(int row);
    void notifyCurrentRow();
    void pushPendingEdits();

    void indexFields();
    // Once closed: the fields created from the last result go (a dataset reopened in
    // the meantime keeps them).
    void dropResultFields();
    QVariantList blankRecord() const;
    // A stored row as a record of every field, and the data values of a record.
    QVariantList record(const tavrel::RowStore::Row& row) const;
    QVariantList dataValues(const QVariantList& record) const;
    QVariant storedValue(const tavrel::RowStore::Row& row, int fieldIndex) const;
    tavrel::DataPacket fetch();
    // Tells the connection of the name list, so that it reads it with its others.
    void declareNameList();
    // Takes the packet's rows over: a row whose columns are the data fields in their
    // order is kept as it came, any other is copied and freed at once, so that the
    // server's and the dataset's copies of the rows are not both held.
    Loaded load(tavrel::DataPacket&& packet);
    void install(Loaded&& loaded);

    void calculate(QVariantList& target, int row = -1);
    void ensureCalculated(int row);
    void recalculateCurrent();
    void invalidateCalculated();
    QVariant lookupValue(const tavrel::Field& field, const QVariantList& values);
    QList<tavrel::Field*> fieldList(const QString& names) const;
    // The first row whose fields match the values; -1 when none does. A single text
    // field is searched through a sorted index of its values when no record is being
    // edited; anything else compares row by row.
    int findRow(const QString& fieldNames, const QVariantList& values,
                tavrel::LocateOptions options);
    tavrel::TextKeyIndex& textIndex(const tavrel::Field& field, bool caseInsensitive);
    // The one text field of `keys` that findRow searches through an ordered index, or null.
    const tavrel::Field* indexedKey(const QList<tavrel::Field*>& keys) const;

    void assign(tavrel::Field& field, const QVariant& value);
    void insertRecord(bool append);
    int apply();
    void moveCursor(int row);
    void putBackLastChange();
};
