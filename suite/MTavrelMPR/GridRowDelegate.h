#pragma once

#include <QPointer>
#include <QStyledItemDelegate>

class QLineEdit;
class TTavrelDBgrid;

// Paints a TTavrelDBgrid's rows (current record highlighted, the others alternating,
// column colours kept) and edits its cells as plain text, so that the dataset reads the
// text the way a user types it.
class GridRowDelegate : public QStyledItemDelegate
{
    Q_OBJECT

public:
    explicit GridRowDelegate(TTavrelDBgrid* grid);

    // The cell editor that is open, if any.
    QLineEdit* openEditor() const { return m_editor; }

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override;
    void setEditorData(QWidget* editor, const QModelIndex& index) const override;
    void setModelData(QWidget* editor, QAbstractItemModel* model,
                      const QModelIndex& index) const override;

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override;

private:
    TTavrelDBgrid* m_grid;
    mutable QPointer<QLineEdit> m_editor;
};
