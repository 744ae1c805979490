#pragma once

#include "DataSetTypes.h"
#include "MTavrelMPRExport.h"

#include <QObject>
#include <functional>
#include <memory>

class SClientDataSet;

namespace tavrel {

class Field;

// Binds controls (edits, combos, navigator, grid) to a client dataset and carries its
// notices: state changes and data changes of the current record.
//
// OnStateChange and OnDataChange run inside the dataset operation that caused them and
// may throw to refuse it. The Qt signals follow them; their slots must not throw.
// A disabled data source passes nothing on and reports the state Inactive.
class MTAVRELMPR_EXPORT DataSource : public QObject
{
    Q_OBJECT

public:
    explicit DataSource(QObject* parent = nullptr);
    ~DataSource() override;

    SClientDataSet* dataSet() const;
    void setDataSet(SClientDataSet* dataSet);
    bool enabled() const;
    void setEnabled(bool enabled);
    // Whether a control may put the dataset into Edit when the user starts typing.
    bool autoEdit() const;
    void setAutoEdit(bool autoEdit);

    DataSetState state() const;
    // Puts the dataset into Edit when it browses and autoEdit allows; returns whether
    // it is in Edit or Insert afterwards. Handler refusals are thrown.
    bool edit();

    // Code that writes a control's pending text into its field before a post; it may
    // throw to stop the post. Dropped when the owner is destroyed.
    void addUpdateHandler(QObject* owner, std::function<void()> handler);
    void removeUpdateHandlers(QObject* owner);

    std::function<void(DataSource&)> OnStateChange;
    // field: the field of the current record that changed; null: the whole record.
    std::function<void(DataSource&, Field* field)> OnDataChange;

signals:
    void dataSetChanged();
    void stateChanged();
    void dataChanged(tavrel::Field* field);

private:
    friend class ::SClientDataSet;
    void notifyStateChanged();
    void notifyDataChanged(Field* field);
    void updateData();

    struct Private;
    std::unique_ptr<Private> d;
};

} // namespace tavrel
