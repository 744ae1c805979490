#pragma once

#include <QPointer>
#include <QStyledItemDelegate>

class TTavrelDBgrid;

// Paints a TTavrelDBgrid's rows (current record highlighted, the others alternating,
// column colours kept) and edits its cells as plain text, so that the dataset reads the
// text the way a user types it. A lookup column is edited with a drop-down of the
// lookup dataset's rows (name and key) that stores the chosen key as soon as it is
// chosen, as the edit panel's lookup combos do.
class GridRowDelegate : public QStyledItemDelegate
{
    Q_OBJECT

public:
    explicit GridRowDelegate(TTavrelDBgrid* grid);

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
    TTavrelDBgrid* m_grid;
    mutable QPointer<QWidget> m_editor;
};
