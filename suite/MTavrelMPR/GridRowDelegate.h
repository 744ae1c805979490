#pragma once

#include <QPointer>
#include <QStyledItemDelegate>

// Paints the rows of a view over a tavrel::DataSetTableModel (current record
// highlighted, the others alternating, column colours kept) and edits its cells as
// plain text, so that the dataset reads the text the way a user types it. A lookup
// column is edited with a drop-down of the lookup dataset's rows (name and key) that
// stores the chosen key as soon as it is chosen, as the edit panel's lookup combos do.
// Everything it knows of a cell comes from the model; the colours come from the view's
// palette.
class GridRowDelegate : public QStyledItemDelegate
{
    Q_OBJECT

public:
    explicit GridRowDelegate(QObject* parent = nullptr);

    // The colours of the rows in a view of this palette: current record, even rows
    // (from 0), odd rows.
    static QColor currentRowColor(const QPalette& palette);
    static QColor evenRowColor(const QPalette& palette);
    static QColor oddRowColor(const QPalette& palette);

    // The cell editor that is open, if any: a QLineEdit, or a drop-down for a lookup.
    QWidget* openEditor() const { return m_editor; }

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override;
    void setEditorData(QWidget* editor, const QModelIndex& index) const override;
    void setModelData(QWidget* editor, QAbstractItemModel* model,
                      const QModelIndex& index) const override;

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override;

private:
    mutable QPointer<QWidget> m_editor;
};
