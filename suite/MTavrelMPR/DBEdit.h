#pragma once

#include "MTavrelMPRExport.h"

#include <QColor>
#include <QLineEdit>
#include <functional>
#include <memory>

namespace tavrel {

class DataSource;
class Field;

// An edit bound to one field of a data source's dataset.
//
// It shows the field's display text, and its plain text (what a user would type) while
// it has the focus, the dataset edits or inserts and the field can be changed. It shows
// the current record again whenever any of its fields changes (the names that other
// fields look up or calculate follow their codes), keeping typed text unless its own
// field was changed.
//
// Typing puts the dataset into Edit (when the data source allows it; otherwise the key
// is ignored). The typed text is written into the field when the focus goes to another
// control, on Enter, and when the dataset posts. A refused value brings the field's
// text back and its message is shown (tavrel::ErrorReporter); during a post the refusal
// stops the post. Escape drops the typed text.
//
// Calculated and lookup fields, read-only fields and a read-only edit show the value
// and take no typing.
class MTAVRELMPR_EXPORT DBEdit : public QLineEdit
{
    Q_OBJECT
    Q_PROPERTY(QString DataField READ dataField WRITE setDataField)
    Q_PROPERTY(QColor Color READ color WRITE setColor)

public:
    explicit DBEdit(QWidget* parent = nullptr);
    ~DBEdit() override;

    DataSource* dataSource() const;
    void setDataSource(DataSource* source);
    QString dataField() const;
    void setDataField(const QString& fieldName);
    // The bound field; null when there is no dataset, it is closed without the field,
    // or it has no field of that name.
    Field* field() const;

    QColor color() const;
    void setColor(const QColor& color);

    // Whether typed text waits to be written into the field.
    bool pending() const;
    // Writes the typed text into the field now. A refusal brings the field's text back
    // and is thrown.
    void updateRecord();

    // Run when the edit takes and loses the focus; a throw is reported (the module
    // guards entry this way).
    std::function<void(DBEdit&)> OnEnter;
    std::function<void(DBEdit&)> OnExit;

protected:
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void reload();
    bool editable() const;
    bool ensureEditing();
    bool changesText(QKeyEvent* event) const;

    struct Private;
    std::unique_ptr<Private> d;
};

} // namespace tavrel
