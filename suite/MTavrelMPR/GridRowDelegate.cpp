#include "GridRowDelegate.h"

#include "DBLookupComboBox.h"
#include "DataSetTableModel.h"
#include "Field.h"
#include "SClientDataSet.h"

#include <QLineEdit>
#include <algorithm>

namespace {

const tavrel::DataSetTableModel* modelOf(const QModelIndex& index)
{
    return qobject_cast<const tavrel::DataSetTableModel*>(index.model());
}

// The field a cell shows; null outside a dataset model.
const tavrel::Field* fieldOf(const QModelIndex& index)
{
    const tavrel::DataSetTableModel* model = modelOf(index);
    return model ? model->columnField(index.column()) : nullptr;
}

} // namespace

GridRowDelegate::GridRowDelegate(QObject* parent) : QStyledItemDelegate(parent) {}

QColor GridRowDelegate::currentRowColor(const QPalette& palette)
{
    return palette.color(QPalette::Active, QPalette::Highlight);
}

QColor GridRowDelegate::evenRowColor(const QPalette&)
{
    return QColor(Qt::white);
}

QColor GridRowDelegate::oddRowColor(const QPalette& palette)
{
    return palette.color(QPalette::ToolTipBase);
}

QWidget* GridRowDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                                       const QModelIndex& index) const
{
    const tavrel::DataSetTableModel* model = modelOf(index);
    if (tavrel::Field* key = model ? model->columnKeyField(index.column()) : nullptr) {
        const tavrel::Field* lookup = model->columnField(index.column());
        SClientDataSet* list = lookup->lookupDataSet();
        auto* combo = new tavrel::DBLookupComboBox(parent);
        combo->setFrame(false);
        combo->setListDataSet(list);
        combo->setKeyField(lookup->lookupKeyField());
        combo->setListField(lookup->lookupResultField() + u';' + lookup->lookupKeyField());
        combo->setDataSource(model->dataSource());
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
    if (const tavrel::Field* f = fieldOf(index)) {
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
    const tavrel::Field* f = fieldOf(index);
    if (line && f)
        line->setText(f->textOf(index.data(Qt::EditRole)));
}

void GridRowDelegate::setModelData(QWidget* editor, QAbstractItemModel* model,
                                   const QModelIndex& index) const
{
    if (auto* line = qobject_cast<QLineEdit*>(editor)) {
        // Unchanged text leaves the record alone (and the dataset out of Edit).
        const tavrel::Field* f = fieldOf(index);
        if (f && line->text() == f->textOf(index.data(Qt::EditRole)))
            return;
        model->setData(index, line->text(), Qt::EditRole);
    }
}

void GridRowDelegate::initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const
{
    const QPalette view = option->palette; // the view's, before the item's roles apply
    QStyledItemDelegate::initStyleOption(option, index);
    option->state &= ~QStyle::State_Selected;
    const tavrel::DataSetTableModel* model = modelOf(index);
    if (model && index.row() == model->currentRow()) {
        option->backgroundBrush = currentRowColor(view);
        option->palette.setColor(QPalette::Text, view.color(QPalette::HighlightedText));
        return;
    }
    const QVariant own = index.data(Qt::BackgroundRole);
    if (own.isValid())
        option->backgroundBrush = own.value<QColor>();
    else
        option->backgroundBrush = index.row() % 2 == 0 ? evenRowColor(view) : oddRowColor(view);
    option->palette.setColor(QPalette::Text, view.color(QPalette::Text));
}
