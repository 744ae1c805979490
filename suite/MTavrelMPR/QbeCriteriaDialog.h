#pragma once

#include "MTavrelMPRExport.h"
#include "QbeConditionBuilder.h"

#include <QDialog>
#include <QList>
#include <functional>

class QComboBox;
class QLineEdit;

namespace tavrel {

// The criteria window of the query-by-example: one line per field with its label, an
// operator and a value. Aceptar hands the criteria to OnAccept, which runs the query;
// when it throws, the message is reported and the window stays open with what the user
// typed. Limpiar empties every value.
class MTAVRELMPR_EXPORT QbeCriteriaDialog : public QDialog
{
    Q_OBJECT

public:
    struct FieldInfo
    {
        QString fieldName;
        QString label;
        FieldType type = FieldType::String;
    };

    QbeCriteriaDialog(const QList<FieldInfo>& fields, const QString& dateFormat,
                      QWidget* parent = nullptr);
    ~QbeCriteriaDialog() override;

    // One criterion per field, in field order; blank values included.
    QList<QbeCriterion> criteria() const;
    // Puts operator and value back for the fields named in the list; others stay blank.
    void setCriteria(const QList<QbeCriterion>& criteria);
    void clearValues();

    // Row widgets, for keyboard users and tests: the operator box and value edit of a
    // field; null when the window has no such field.
    QComboBox* operatorBox(const QString& fieldName) const;
    QLineEdit* valueEdit(const QString& fieldName) const;

    std::function<void(const QList<QbeCriterion>& criteria)> OnAccept;

public slots:
    void accept() override;

private:
    struct Row
    {
        FieldInfo field;
        QComboBox* op = nullptr;
        QLineEdit* value = nullptr;
    };
    int rowOf(const QString& fieldName) const;

    QList<Row> m_rows;
};

} // namespace tavrel
