#include "TTavrelDBgrid.h"

#include "Confirmation.h"
#include "CsvWriter.h"
#include "DataSetTableModel.h"
#include "DataSource.h"
#include "ErrorReporter.h"
#include "Field.h"
#include "GridRowDelegate.h"
#include "SClientDataSet.h"
#include "XlsxWriter.h"

#include <QComboBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPointer>

using tavrel::DataSetState;
using tavrel::ErrorReporter;

struct TTavrelDBgrid::Private
{
    tavrel::DataSetTableModel* model = nullptr;
    GridRowDelegate* delegate = nullptr;
    QPointer<tavrel::DataSource> source;
    QList<tavrel::GridColumn> columns;
    bool readOnly = false;
    bool following = false;    // the grid is moving to the dataset's row
    bool rowsRemoving = false; // the dataset is removing a row and moves by itself
};

TTavrelDBgrid::TTavrelDBgrid(QWidget* parent) : QTableView(parent), d(std::make_unique<Private>())
{
    d->model = new tavrel::DataSetTableModel(this);
    d->model->OnError = [](const tavrel::ModuleError& e) { ErrorReporter::report(e); };
    setModel(d->model);
    d->delegate = new GridRowDelegate(this);
    setItemDelegate(d->delegate);
    setSelectionMode(QAbstractItemView::NoSelection);
    setEditTriggers(AnyKeyPressed | EditKeyPressed | DoubleClicked);
    setTabKeyNavigation(true);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    verticalHeader()->hide(); // the highlighted row marks the current record
    horizontalHeader()->setHighlightSections(false);

    connect(d->model, &tavrel::DataSetTableModel::currentRowChanged, this,
            &TTavrelDBgrid::followDataSet);
    connect(d->model, &QAbstractItemModel::modelReset, this, [this] {
        applyWidths();
        followDataSet();
    });
    connect(d->model, &QAbstractItemModel::rowsInserted, this, &TTavrelDBgrid::followDataSet);
    connect(d->model, &QAbstractItemModel::rowsRemoved, this, [this] {
        d->rowsRemoving = false;
        followDataSet();
    });
}

TTavrelDBgrid::~TTavrelDBgrid() = default;

tavrel::DataSource* TTavrelDBgrid::dataSource() const
{
    return d->source;
}

void TTavrelDBgrid::setDataSource(tavrel::DataSource* source)
{
    if (d->source)
        d->source->removeUpdateHandlers(this);
    d->source = source;
    if (source)
        source->addUpdateHandler(this, [this] { pushPendingEdit(); });
    d->model->setDataSource(source);
    applyWidths();
    followDataSet();
}

tavrel::DataSetTableModel* TTavrelDBgrid::dataModel() const
{
    return d->model;
}

void TTavrelDBgrid::setColumns(const QList<tavrel::GridColumn>& columns)
{
    d->columns = columns;
    QStringList names;
    for (const auto& c : columns)
        names.append(c.fieldName);
    for (int i = 0; i < columns.size(); ++i) {
        d->model->setColumnTitle(i, columns[i].title);
        d->model->setColumnColor(i, columns[i].color);
        d->model->setColumnReadOnly(i, columns[i].readOnly);
    }
    d->model->setColumns(names);
    applyWidths();
}

int TTavrelDBgrid::addColumn(const QString& fieldName, const QString& title, int width)
{
    QList<tavrel::GridColumn> all = d->columns;
    tavrel::GridColumn column;
    column.fieldName = fieldName;
    column.title = title;
    column.width = width;
    all.append(column);
    setColumns(all);
    return int(all.size()) - 1;
}

QList<tavrel::GridColumn> TTavrelDBgrid::columns() const
{
    return d->columns;
}

void TTavrelDBgrid::setColumnReadOnly(int column, bool readOnly)
{
    if (column >= 0 && column < d->columns.size())
        d->columns[column].readOnly = readOnly;
    d->model->setColumnReadOnly(column, readOnly);
}

void TTavrelDBgrid::setColumnColor(int column, const QColor& color)
{
    if (column >= 0 && column < d->columns.size())
        d->columns[column].color = color;
    d->model->setColumnColor(column, color);
}

void TTavrelDBgrid::setColumnTitle(int column, const QString& title)
{
    if (column >= 0 && column < d->columns.size())
        d->columns[column].title = title;
    d->model->setColumnTitle(column, title);
}

void TTavrelDBgrid::setColumnDefaultWidth(int column, int width)
{
    if (column >= 0 && column < d->columns.size())
        d->columns[column].width = width;
    if (column >= 0 && column < d->model->columnCount())
        setColumnWidth(column, width > 0 ? width : defaultWidth(column));
}

bool TTavrelDBgrid::readOnly() const
{
    return d->readOnly;
}

void TTavrelDBgrid::setReadOnly(bool readOnly)
{
    d->readOnly = readOnly;
    d->model->setReadOnly(readOnly);
    setEditTriggers(readOnly ? NoEditTriggers : (AnyKeyPressed | EditKeyPressed | DoubleClicked));
}

QStringList TTavrelDBgrid::visibleTitles() const
{
    QStringList titles;
    for (int c = 0; c < d->model->columnCount(); ++c) {
        if (!isColumnHidden(c))
            titles.append(d->model->headerData(c, Qt::Horizontal).toString());
    }
    return titles;
}

QList<QStringList> TTavrelDBgrid::visibleRows() const
{
    QList<QStringList> rows;
    const int count = d->model->rowCount();
    rows.reserve(count);
    for (int r = 0; r < count; ++r) {
        QStringList values;
        for (int c = 0; c < d->model->columnCount(); ++c) {
            if (!isColumnHidden(c))
                values.append(d->model->index(r, c).data(Qt::DisplayRole).toString());
        }
        rows.append(values);
    }
    return rows;
}

QByteArray TTavrelDBgrid::toCsv() const
{
    return tavrel::CsvWriter::document(visibleTitles(), visibleRows());
}

tavrel::XlsxSheet TTavrelDBgrid::xlsxSheet(const QString& sheetName) const
{
    using tavrel::FieldType;
    using tavrel::XlsxColumn;
    QList<XlsxColumn> columns;
    QList<int> shown;
    const int charWidth = qMax(1, fontMetrics().averageCharWidth());
    for (int c : exportOrder()) {
        XlsxColumn column;
        column.title = d->model->headerData(c, Qt::Horizontal).toString();
        column.width =
            qMax(8.0, double(exportOnly(c) ? defaultWidth(c) : columnWidth(c)) / charWidth);
        // A lookup column shows a name, whatever the type of the key it edits.
        const tavrel::Field* field =
            d->model->columnKeyField(c) ? nullptr : d->model->columnField(c);
        switch (field ? field->dataType() : FieldType::String) {
        case FieldType::SmallInt:
        case FieldType::Integer:
        case FieldType::LargeInt:
        case FieldType::Float:
            column.kind = XlsxColumn::Kind::Number;
            column.format = field->displayFormat();
            break;
        case FieldType::DateTime:
            column.kind = XlsxColumn::Kind::Date;
            column.format = tavrel::XlsxWriter::excelDateFormat(field->displayFormat().isEmpty()
                                                                    ? QStringLiteral("dd/MM/yyyy")
                                                                    : field->displayFormat());
            break;
        default:
            break;
        }
        columns.append(column);
        shown.append(c);
    }
    QList<QVariantList> rows;
    rows.reserve(d->model->rowCount());
    for (int r = 0; r < d->model->rowCount(); ++r) {
        QVariantList values;
        for (qsizetype i = 0; i < shown.size(); ++i) {
            const QModelIndex cell = d->model->index(r, shown[i]);
            values.append(columns[i].kind == XlsxColumn::Kind::Text ? cell.data(Qt::DisplayRole)
                                                                    : cell.data(Qt::EditRole));
        }
        rows.append(values);
    }
    tavrel::XlsxSheet sheet;
    sheet.name = sheetName;
    sheet.tables.append(tavrel::XlsxTable{.columns = columns, .rows = rows});
    sheet.freezeTitles = true;
    return sheet;
}

QColor TTavrelDBgrid::currentRowColor() const
{
    return GridRowDelegate::currentRowColor(palette());
}

QColor TTavrelDBgrid::evenRowColor() const
{
    return GridRowDelegate::evenRowColor(palette());
}

QColor TTavrelDBgrid::oddRowColor() const
{
    return GridRowDelegate::oddRowColor(palette());
}

void TTavrelDBgrid::keyPressEvent(QKeyEvent* event)
{
    SClientDataSet* ds = d->model->dataSet();
    const bool active = ds && ds->active();
    const Qt::KeyboardModifiers mods = event->modifiers() & ~Qt::KeypadModifier;
    if (event->key() == Qt::Key_Insert && mods == Qt::NoModifier) {
        if (active && !d->readOnly)
            ErrorReporter::guard([ds] { ds->insert(); });
        return;
    }
    if (event->key() == Qt::Key_Delete && mods == Qt::ControlModifier) {
        if (active && !d->readOnly && !ds->isEmpty() &&
            tavrel::Confirmation::ask(this, tavrel::Confirmation::deleteQuestion()))
            ErrorReporter::guard([ds] { ds->deleteRecord(); });
        return;
    }
    // F4 and Alt+Down open the list of a lookup column.
    if (((event->key() == Qt::Key_F4 && mods == Qt::NoModifier) ||
         (event->key() == Qt::Key_Down && mods == Qt::AltModifier)) &&
        d->model->columnKeyField(currentIndex().column())) {
        if (edit(currentIndex(), EditKeyPressed, event)) {
            if (auto* combo = qobject_cast<QComboBox*>(d->delegate->openEditor()))
                combo->showPopup();
        }
        return;
    }
    if (event->key() == Qt::Key_Escape && mods == Qt::NoModifier) {
        if (active && (ds->state() == DataSetState::Edit || ds->state() == DataSetState::Insert)) {
            ErrorReporter::guard([ds] { ds->cancel(); });
            return;
        }
    }
    QTableView::keyPressEvent(event);
}

void TTavrelDBgrid::rowsAboutToBeRemoved(const QModelIndex& parent, int start, int end)
{
    // While a cancel or delete removes the current row, the view picks another current
    // row on its own; that is not a move of the user, and the dataset is not to follow.
    d->rowsRemoving = true;
    QTableView::rowsAboutToBeRemoved(parent, start, end);
}

void TTavrelDBgrid::currentChanged(const QModelIndex& current, const QModelIndex& previous)
{
    QTableView::currentChanged(current, previous);
    if (d->following || d->rowsRemoving || !current.isValid() || current.row() == previous.row())
        return;
    if (current.row() != d->model->currentRow()) {
        // A refusal (a pending record that cannot be posted) keeps the dataset where it
        // was, and the grid goes back to it.
        d->model->setCurrentRow(current.row());
        if (d->model->currentRow() != current.row())
            followDataSet();
    }
    viewport()->update();
}

void TTavrelDBgrid::followDataSet()
{
    viewport()->update();
    const int row = d->model->currentRow();
    if (row < 0 || row >= d->model->rowCount() || d->model->columnCount() == 0)
        return;
    const QModelIndex at = currentIndex();
    if (at.isValid() && at.row() == row)
        return;
    const int column = at.isValid() ? at.column() : 0;
    d->following = true;
    selectionModel()->setCurrentIndex(d->model->index(row, column), QItemSelectionModel::NoUpdate);
    d->following = false;
    scrollTo(d->model->index(row, column));
}

void TTavrelDBgrid::applyWidths()
{
    for (int c = 0; c < d->model->columnCount(); ++c) {
        const int wanted = c < d->columns.size() ? d->columns[c].width : -1;
        setColumnWidth(c, wanted > 0 ? wanted : defaultWidth(c));
        setColumnHidden(c, exportOnly(c));
    }
}

// The columns shown, each lookup followed by the exported-only column of its key (the code
// beside its name), then the other exported-only columns.
QList<int> TTavrelDBgrid::exportOrder() const
{
    QList<int> order;
    QList<int> rest;
    for (int c = 0; c < d->model->columnCount(); ++c) {
        if (exportOnly(c))
            rest.append(c);
    }
    for (int c = 0; c < d->model->columnCount(); ++c) {
        if (isColumnHidden(c))
            continue;
        order.append(c);
        const tavrel::Field* key = d->model->columnKeyField(c);
        for (int k : std::as_const(rest)) {
            const tavrel::Field* field = d->model->columnField(k);
            if (key && field == key) {
                order.append(k);
                rest.removeOne(k);
                break;
            }
        }
    }
    return order + rest;
}

bool TTavrelDBgrid::exportOnly(int column) const
{
    return column < d->columns.size() && d->columns[column].exportOnly;
}

int TTavrelDBgrid::defaultWidth(int column) const
{
    // The field's display width in characters, at least the title's, at most 40.
    const tavrel::Field* f = d->model->columnField(column);
    const QString title = d->model->headerData(column, Qt::Horizontal).toString();
    const int characters =
        std::clamp(std::max(f ? f->displayWidth() : 10, int(title.size())), 4, 40);
    return characters * fontMetrics().averageCharWidth() + 10;
}

void TTavrelDBgrid::pushPendingEdit()
{
    // A lookup's drop-down has stored its choice already.
    auto* editor = qobject_cast<QLineEdit*>(d->delegate->openEditor());
    if (!editor || state() != EditingState)
        return;
    const QModelIndex at = currentIndex();
    tavrel::Field* f = d->model->columnField(at.column());
    if (f && editor->text() != f->textOf(at.data(Qt::EditRole)))
        f->setAsString(editor->text()); // a refusal stops the post, the editor stays open
    closeEditor(editor, QAbstractItemDelegate::NoHint);
}
