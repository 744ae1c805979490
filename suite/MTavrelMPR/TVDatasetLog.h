#pragma once

#include "Delta.h"
#include "MTavrelMPRExport.h"

#include <QMetaObject>
#include <QObject>
#include <QPointer>

class SClientDataSet;

// Records the changes of a client dataset in the change log GN_LOGCM. Every delta the
// dataset applies on the server (see SClientDataSet::updatesApplied) is logged right
// after, through the same connection, with the session's company (the dataset's Company
// when the session has none) and user, the server's time and the dataset's SMainTable
// (its provider name when that is empty). See tavrel::ChangeLogBuilder for the entries.
//
// It only listens to the dataset: the dataset's event members stay the module's. The
// change itself is already stored when the log is written; a log that cannot be written
// is reported through tavrel::ErrorReporter, saying that the change was saved.
class MTAVRELMPR_EXPORT TVDatasetLog : public QObject
{
    Q_OBJECT
    Q_MOC_INCLUDE("SClientDataSet.h")
    Q_PROPERTY(SClientDataSet* DataSet READ dataSet WRITE setDataSet)
    Q_PROPERTY(bool Active READ active WRITE setActive)

public:
    explicit TVDatasetLog(QObject* parent = nullptr);
    ~TVDatasetLog() override;

    SClientDataSet* dataSet() const;
    void setDataSet(SClientDataSet* dataSet);
    bool active() const { return m_active; }
    void setActive(bool active) { m_active = active; }

    // Writes the log entries of an applied delta; throws ModuleError.
    void record(const tavrel::Delta& applied);

private:
    void onUpdatesApplied(const tavrel::Delta& applied);

    QPointer<SClientDataSet> m_dataSet;
    QMetaObject::Connection m_connection;
    bool m_active = true;
};
