#pragma once

#include "LaidOutDocument.h"
#include "MemoryDataSource.h"
#include "Report.h"

#include <QHash>

// A report shaped like the relation report: company header with logo, one boxed block
// of 128 x 740 units per relation row with 12 units after it, and a footer.
class RelationSample
{
public:
    explicit RelationSample(int rows);

    tavrel::report::Report report;
    tavrel::report::MemoryDataSource company;
    tavrel::report::MemoryDataSource relation;
    QHash<QString, QVariant> variables;

    tavrel::report::LaidOutDocument layOut();

    static constexpr qreal kBlockHeight = 140;
    static constexpr qreal kBoxHeight = 128;
    static constexpr qreal kHeaderHeight = 94.49;
    static constexpr qreal kFooterHeight = 15.12;

private:
    void buildHeader();
    void buildBlock();
    void buildFooter();
};
