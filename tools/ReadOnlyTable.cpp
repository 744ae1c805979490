#include "ReadOnlyTable.h"

#include <QHeaderView>
#include <QTableWidget>

QTableWidget* ReadOnlyTable::create(const QStringList& headers, QWidget* parent)
{
    auto* table = new QTableWidget(0, int(headers.size()), parent);
    table->setHorizontalHeaderLabels(headers);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->verticalHeader()->setVisible(false);
    table->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    table->horizontalHeader()->setStretchLastSection(true);
    return table;
}

void ReadOnlyTable::wrapLastColumn(QTableWidget* table)
{
    QHeaderView* header = table->horizontalHeader();
    header->setSectionResizeMode(table->columnCount() - 1, QHeaderView::Stretch);
    table->setWordWrap(true);
    QObject::connect(header, &QHeaderView::sectionResized, table,
                     &QTableWidget::resizeRowsToContents);
}
