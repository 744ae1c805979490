#pragma once

#include "GridColumn.h"
#include "MTavrelMPRExport.h"
#include "XlsxWriter.h"

#include <QList>
#include <QStringList>
#include <QTableView>
#include <memory>

namespace tavrel {
class DataSetTableModel;
class DataSource;
} // namespace tavrel

// The data grid: a table over the dataset of a data source, one row per record.
//
// The grid follows the dataset's cursor both ways: clicking or moving to a row moves the
// dataset there (a pending edit is posted first, as the dataset does on every scroll),
// and a dataset that scrolls moves the grid's current row. The current record is drawn
// in the highlight colour, the other rows alternate white and the tool-tip background,
// and a column with a colour of its own keeps it.
//
// Keys: arrows, PgUp/PgDn, Ctrl+Home/Ctrl+End move; Home/End go to the first and last
// column; Insert inserts a record; Ctrl+Delete deletes the current one after the
// question "¿Borrar el registro?"; Escape cancels the record being edited. Typing into an
// editable cell (or F2, or a double click) edits it; the text goes through the dataset,
// so a refused value shows its message and the old value stays. A lookup column edits
// its key field through a drop-down of the lookup dataset (F4 or Alt+Down opens it,
// Enter picks). Errors are handed to tavrel::ErrorReporter.
class MTAVRELMPR_EXPORT TTavrelDBgrid : public QTableView
{
    Q_OBJECT

public:
    explicit TTavrelDBgrid(QWidget* parent = nullptr);
    ~TTavrelDBgrid() override;

    tavrel::DataSource* dataSource() const;
    void setDataSource(tavrel::DataSource* source);
    tavrel::DataSetTableModel* dataModel() const;

    // Columns set by code. Without any, the grid shows the dataset's visible fields.
    // The columns as they stand (fields, titles, colours, read-only) are the model's.
    void setColumns(const QList<tavrel::GridColumn>& columns);
    int addColumn(const QString& fieldName, const QString& title = {}, int width = -1);
    QList<tavrel::GridColumn> columns() const;
    void setColumnReadOnly(int column, bool readOnly);
    void setColumnColor(int column, const QColor& color);
    void setColumnTitle(int column, const QString& title);
    // The width the column takes again each time the dataset opens.
    void setColumnDefaultWidth(int column, int width);

    // A read-only grid edits nothing and ignores Insert and Ctrl+Delete.
    bool readOnly() const;
    void setReadOnly(bool readOnly);

    // Whether a cell editor is open (its text is written into the field on Enter, when
    // the current cell changes, and when the record is posted).
    bool cellEditorOpen() const { return state() == EditingState; }

    // What the grid shows: titles of the columns not hidden, and per row their texts.
    QStringList visibleTitles() const;
    QList<QStringList> visibleRows() const;
    // The rows as a CSV document (see tavrel::CsvWriter).
    QByteArray toCsv() const;
    // The rows as an Excel sheet (see tavrel::XlsxWriter): the titles and texts the grid
    // shows, and the columns that are only exported, except that numbers are number cells
    // in the field's display format and date-times date cells.
    tavrel::XlsxSheet xlsxSheet(const QString& sheetName) const;

    // The colours of the rows: current record, even rows (from 0), odd rows.
    QColor currentRowColor() const;
    QColor evenRowColor() const;
    QColor oddRowColor() const;

protected Q_SLOTS:
    void rowsAboutToBeRemoved(const QModelIndex& parent, int start, int end) override;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;

private:
    void followDataSet();
    void applyWidths();
    void pushPendingEdit();
    int defaultWidth(int column) const;
    bool exportOnly(int column) const;
    QList<int> exportOrder() const;

    struct Private;
    std::unique_ptr<Private> d;
};
