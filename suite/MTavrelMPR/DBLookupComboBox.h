#pragma once

#include "MTavrelMPRExport.h"

#include <QComboBox>
#include <QVariant>
#include <memory>

class SClientDataSet;

namespace tavrel {

class DataSetTableModel;
class DataSource;
class Field;

// A drop-down bound to one field of a data source's dataset (the data field) whose
// choices are the rows of another dataset (the list). The list fields ("NOM_FUEN;
// COD_FUEN") are the columns of the drop-down and the first of them is the text shown.
// Choosing a row stores its key field in the data field, through the dataset's rules:
// the dataset goes into Edit when it browses, and a refused value brings back the
// previous choice with its message (tavrel::ErrorReporter). A data value that no row of
// the list has shows empty.
class MTAVRELMPR_EXPORT DBLookupComboBox : public QComboBox
{
    Q_OBJECT
    Q_PROPERTY(QString DataField READ dataField WRITE setDataField)
    Q_PROPERTY(QString KeyField READ keyField WRITE setKeyField)
    Q_PROPERTY(QString ListField READ listField WRITE setListField)
    Q_PROPERTY(int DropDownWidth READ dropDownWidth WRITE setDropDownWidth)

public:
    explicit DBLookupComboBox(QWidget* parent = nullptr);
    ~DBLookupComboBox() override;

    DataSource* dataSource() const;
    void setDataSource(DataSource* source);
    QString dataField() const;
    void setDataField(const QString& fieldName);
    Field* field() const;

    DataSource* listSource() const;
    void setListSource(DataSource* source);
    // The list straight from a dataset (a lookup field's), without a data source.
    void setListDataSet(SClientDataSet* dataSet);
    QString keyField() const;
    void setKeyField(const QString& fieldName);
    QString listField() const;
    void setListField(const QString& fieldNames);

    // Width of the drop-down in pixels; 0: the width of the combo.
    int dropDownWidth() const;
    void setDropDownWidth(int width);
    bool readOnly() const;
    void setReadOnly(bool readOnly);

    // The key of the row shown; null when none is.
    QVariant keyValue() const;
    // Chooses the row whose key is `key`, as a user would; false when the choice was
    // refused or no row has that key.
    bool selectKey(const QVariant& key);

    void showPopup() override;

private:
    void reload();
    int rowOfKey(const QVariant& key) const;
    bool choose(int row);

    struct Private;
    std::unique_ptr<Private> d;
};

} // namespace tavrel
