#pragma once

#include "BatchCall.h"
#include "DataSetTypes.h"
#include "Delta.h"
#include "Field.h"
#include "MTavrelMPRExport.h"
#include "NameListCache.h"
#include "Param.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <functional>
#include <memory>

class SDCOMConnection;

namespace tavrel {
class DataSource;
}

// A client dataset: the rows of its last open kept in memory, with typed fields, a
// cursor, editing states and the classic events.
//
// Opening sends CommandText and Params to ProviderName on RemoteServer. Posted changes
// are logged and sent to the server by applyUpdates(). A dataset without provider is an
// in-memory list: createDataSet() makes it active with its declared fields and no rows.
//
// Properties keep their given names for access by name (setProperty("CommandText")); in
// C++ they are read and written with the usual Qt accessors (commandText(),
// setCommandText()).
//
// Events run in this order (a handler refuses by throwing tavrel::ModuleError):
//   open:    BeforeOpen, rows fetched, Browse, AfterOpen, AfterScroll (when not empty)
//   insert/append: pending edit posted (or cancelled when unmodified), BeforeInsert,
//            BeforeScroll, new empty record, Insert, OnNewRecord, AfterInsert, AfterScroll
//   edit:    BeforeEdit, Edit, AfterEdit (edit() of an empty dataset appends)
//   assign:  read-only check, OnValidate (the field reads the proposed value; a throw
//            keeps the old value), value stored, calculated fields, OnChange
//   post:    (only in Edit or Insert, otherwise an error) data sources push pending
//            edits, BeforePost, record stored, Browse, calculated fields, AfterPost
//   cancel:  BeforeCancel, values restored, Browse, AfterCancel
//   delete:  in Insert it is cancel(); else BeforeDelete, BeforeScroll, row removed,
//            Browse, AfterDelete, AfterScroll
//   close:   BeforeClose, Inactive (pending edits and changes dropped), AfterClose;
//            fields created from the result are dropped only after AfterClose
//   scroll:  pending edit posted (or cancelled), BeforeScroll, move, AfterScroll
// A throw from a Before handler stops the operation with nothing changed.
//
// Calculated and lookup fields are computed per row, when first needed, with the
// dataset in CalcFields state: OnCalcFields reads the fields of that row, assigns the
// calculated fields, and may open other datasets. Values are kept per row; the current
// row is computed again on assignment, post, cancel and scroll, and every row on open,
// refresh, insert, post, cancel and delete (the grid then asks again for the rows it
// shows) or when invalidateCalculatedFields() is called.
//
// Signals are meant for views: their slots must not throw. Code that may refuse binds
// through tavrel::DataSource (OnStateChange, OnDataChange, update handlers).
//   stateChanged(), dataChanged(field): current record changed (field null: all of it);
//       held back while controls are disabled and sent once by enableControls().
//   rowChanged(row), currentRowChanged(row): for grids; row -1 means every row. Also
//       held back while controls are disabled.
//   rowsAboutToBeReset/rowsReset, rowsAboutToBeInserted/rowsInserted,
//   rowsAboutToBeRemoved/rowsRemoved: the row list changes (always sent). Fields may
//       be created or dropped between rowsAboutToBeReset and rowsReset.
//   updatesApplied(delta): the server accepted the delta that applyUpdates() sent; the
//       rows are Unchanged again. For observers such as a change log.
class MTAVRELMPR_EXPORT SClientDataSet : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QString CommandText READ commandText WRITE setCommandText)
    Q_PROPERTY(QStringList SQL READ sql WRITE setSQL)
    Q_PROPERTY(QString ProviderName READ providerName WRITE setProviderName)
    Q_PROPERTY(int Company READ company WRITE setCompany)
    Q_PROPERTY(QString SMainTable READ sMainTable WRITE setSMainTable)
    Q_PROPERTY(bool SAuditFields READ sAuditFields WRITE setSAuditFields)
    Q_PROPERTY(int Tag READ tag WRITE setTag)
    Q_PROPERTY(bool Active READ active WRITE setActive)

public:
    using Event = std::function<void(SClientDataSet&)>;

    explicit SClientDataSet(QObject* parent = nullptr);
    ~SClientDataSet() override;

    // Command text and parameters. Setting the text re-reads the ":name" markers;
    // parameters whose name stays keep their value and type. SQL holds the lines of the
    // command text; setting it makes the command text the lines each followed by "\n".
    QString commandText() const;
    void setCommandText(const QString& text);
    QStringList sql() const;
    void setSQL(const QStringList& lines);
    const tavrel::ParamList& params() const;
    int paramCount() const;
    tavrel::Param& param(int index);
    // Case-insensitive; an unknown name throws ModuleError naming it.
    tavrel::Param& paramByName(const QString& name);
    tavrel::Param* findParam(const QString& name);

    QString providerName() const;
    void setProviderName(const QString& name);
    SDCOMConnection* remoteServer() const;
    void setRemoteServer(SDCOMConnection* connection);
    // Opened during a calculation of any dataset's rows (a name shown beside each row),
    // a dataset with a name list is answered from the connection's copy of the list:
    // one call per list instead of one per row. Opened at any other time (a check of a
    // code the user typed) it asks the server as usual.
    const tavrel::NameListQuery& nameList() const;
    void setNameList(const tavrel::NameListQuery& list);
    int company() const;
    void setCompany(int company);
    QString sMainTable() const;
    void setSMainTable(const QString& table);
    bool sAuditFields() const;
    void setSAuditFields(bool on);
    int tag() const;
    void setTag(int tag);

    // Declares a field (only while closed); fields keep the order of declaration.
    tavrel::Field* addField(const QString& name, tavrel::FieldType type, int size = 0,
                            tavrel::FieldKind kind = tavrel::FieldKind::Data);
    QList<tavrel::Field*> fields() const;
    int fieldCount() const;
    tavrel::Field* field(int index) const;
    // Case-insensitive; a missing name throws ModuleError naming field and dataset.
    tavrel::Field* fieldByName(const QString& name) const;
    tavrel::Field* findField(const QString& name) const;

    tavrel::DataSetState state() const;
    bool active() const;
    void setActive(bool active);
    void open();
    // What open() asks the server, as one call of a batch (see SDCOMConnection::prefetch).
    tavrel::BatchCall openCall() const;
    void close();
    // An in-memory dataset: active with its declared fields and no rows.
    void createDataSet();
    // Fetches the rows again and keeps the current row when it is still there. Needs
    // the change log applied or cancelled.
    void refresh();

    void first();
    void prior();
    void next();
    void last();
    // Returns how many rows the cursor moved.
    int moveBy(int distance);
    bool eof() const;
    bool bof() const;
    // The posted records; in Insert the new record is not counted and recNo() is 0.
    int recordCount() const;
    int recNo() const; // 1-based; 0 when there is no current row
    void setRecNo(int recNo);
    // For views, which show the record being inserted as a row: the rows including it,
    // and the 0-based row of the cursor among them (-1 when there is none).
    int rowCount() const;
    int currentRow() const;
    bool isEmpty() const; // no rows at all; a record being inserted is one
    // Moves to the first row whose fields ("A;B") match the values; false leaves the
    // cursor where it was. See tavrel::RecordLocator for the comparison.
    bool locate(const QString& fields, const QVariantList& values,
                tavrel::LocateOptions options = {});
    // Makes ready ahead of time what locate() on this one field needs, so that the first
    // search (the user's first keystroke) is as quick as the next ones.
    void prepareLocate(const QString& field, tavrel::LocateOptions options);
    // The result field(s) of the first row whose key fields match, without moving the
    // cursor; null when none matches. Several result fields give a QVariantList.
    QVariant lookup(const QString& keyFields, const QVariantList& keyValues,
                    const QString& resultFields);
    // The value of a field in any row (0-based, as rowCount() counts them), without
    // moving the cursor; the current row in Edit or Insert gives the values being edited.
    QVariant valueAt(int row, int fieldIndex);

    void insert();
    void append();
    void edit();
    void post();
    void cancel();
    void deleteRecord();
    bool modified() const;
    // Posts a pending edit when it was modified, cancels it otherwise.
    void checkBrowseMode();

    // Sends the change log to the server in one delta and returns the number of rows
    // sent. When the server refuses, the last posted row is put back into Edit or
    // Insert with the user's values (cancel() then returns it to what the server has),
    // a deleted row is put back, and the error is thrown. Without provider the log is
    // simply accepted.
    int applyUpdates();
    int changeCount() const;
    // Drops the change log: inserted rows removed, edited rows restored, deleted rows
    // put back.
    void cancelUpdates();

    void disableControls();
    void enableControls();
    bool controlsDisabled() const;
    void invalidateCalculatedFields();

    Event BeforeOpen, AfterOpen, BeforeClose, AfterClose;
    Event BeforeInsert, AfterInsert, BeforeEdit, AfterEdit;
    Event BeforePost, AfterPost, BeforeCancel, AfterCancel;
    Event BeforeDelete, AfterDelete, BeforeScroll, AfterScroll;
    Event OnNewRecord, OnCalcFields;

signals:
    void stateChanged();
    void dataChanged(tavrel::Field* field);
    void rowChanged(int row);
    void currentRowChanged(int row);
    void rowsAboutToBeReset();
    void rowsReset();
    void rowsAboutToBeInserted(int first, int last);
    void rowsInserted(int first, int last);
    void rowsAboutToBeRemoved(int first, int last);
    void rowsRemoved(int first, int last);
    void updatesApplied(const tavrel::Delta& delta);

private:
    friend class tavrel::Field;
    friend class tavrel::DataSource;
    struct Private;
    std::unique_ptr<Private> d;

    QVariant fieldValue(const tavrel::Field& field);
    void assignField(tavrel::Field& field, const QVariant& value);
    void attachSource(tavrel::DataSource* source);
    void detachSource(tavrel::DataSource* source);
};
