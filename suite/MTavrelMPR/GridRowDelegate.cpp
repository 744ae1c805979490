#include "GridRowDelegate.h"

#include "DBLookupComboBox.h"
#include "DataSetTableModel.h"
#include "Field.h"
#include "SClientDataSet.h"
#include "TTavrelDBgrid.h"

#include <QLineEdit>
#include <algorithm>

GridRowDelegate::GridRowDelegate(TTavrelDBgrid* grid) : QStyledItemDelegate(grid), m_grid(grid) {}

QWidget* GridRowDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                                       const QModelIndex& index) const
{
    if (tavrel::Field* key = m_grid->dataModel()->columnKeyField(index.column())) {
        const tavrel::Field* lookup = m_grid->columnField(index.column());
        SClientDataSet* list = lookup->lookupDataSet();
        auto* combo = new tavrel::DBLookupComboBox(parent);
        combo->setFrame(false);
        combo->setListDataSet(list);
        combo->setKeyField(lookup->lookupKeyField());
        combo->setListField(lookup->lookupResultField() + u';' + lookup->lookupKeyField());
        combo->setDataSource(m_grid->dataSource());
        combo->setDataField(key->fieldName());
        // Wide enough for the names and the codes, whatever the column's width.
        int characters = 0;
        for (const QString& name : {lookup->lookupResultField(), lookup->lookupKeyField()}) {
            if (const tavrel::Field* f = list->findField(name))
                characters += f->displayWidth();
        }
        combo->setDropDownWidth(
            std::max(option.rect.width(), characters * option.fontMetrics.averageCharWidth() + 40));
        m_editor = combo;
        return combo;
    }
    auto* editor = new QLineEdit(parent);
    editor->setFrame(false);
    if (const tavrel::Field* f = m_grid->columnField(index.column())) {
        const tavrel::FieldType t = f->dataType();
        if ((t == tavrel::FieldType::String || t == tavrel::FieldType::FixedChar) && f->size() > 0)
            editor->setMaxLength(f->size());
    }
    const QVariant alignment = index.data(Qt::TextAlignmentRole);
    if (alignment.isValid())
        editor->setAlignment(Qt::Alignment(alignment.toInt()));
    m_editor = editor;
    return editor;
}

void GridRowDelegate::setEditorData(QWidget* editor, const QModelIndex& index) const
{
    auto* line = qobject_cast<QLineEdit*>(editor);
    const tavrel::Field* f = m_grid->columnField(index.column());
    if (line && f)
        line->setText(f->textOf(index.data(Qt::EditRole)));
}

void GridRowDelegate::setModelData(QWidget* editor, QAbstractItemModel* model,
                                   const QModelIndex& index) const
{
    if (auto* line = qobject_cast<QLineEdit*>(editor)) {
        // Unchanged text leaves the record alone (and the dataset out of Edit).
        const tavrel::Field* f = m_grid->columnField(index.column());
        if (f && line->text() == f->textOf(index.data(Qt::EditRole)))
            return;
        model->setData(index, line->text(), Qt::EditRole);
    }
}

void GridRowDelegate::initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const
{
    QStyledItemDelegate::initStyleOption(option, index);
    option->state &= ~QStyle::State_Selected;
    if (index.row() == m_grid->dataModel()->currentRow()) {
        option->backgroundBrush = m_grid->currentRowColor();
        option->palette.setColor(QPalette::Text,
                                 m_grid->palette().color(QPalette::HighlightedText));
        return;
    }
    const QVariant own = index.data(Qt::BackgroundRole);
    if (own.isValid())
        option->backgroundBrush = own.value<QColor>();
    else
        option->backgroundBrush =
            index.row() % 2 == 0 ? m_grid->evenRowColor() : m_grid->oddRowColor();
    option->palette.setColor(QPalette::Text, m_grid->palette().color(QPalette::Text));
}
