#pragma once

#include "TavrelReportsExport.h"

#include "LayoutPrimitives.h"
#include "Page.h"

#include <QList>
#include <QString>

namespace tavrel::report {

struct TAVREL_REPORTS_EXPORT LaidOutPage
{
    int number = 0;         // 1-based
    QList<Primitive> items; // in painting order

    QList<const TextRun*> texts() const;
    // Every text run of that object on the page (a data band prints it once per record).
    QList<const TextRun*> textsNamed(const QString& objectName) const;
    QList<const LineRun*> lines() const;
    QList<const RectRun*> rects() const;
    QList<const ImageRun*> images() const;
};

// A report laid out into pages, ready to be rendered on any device.
struct TAVREL_REPORTS_EXPORT LaidOutDocument
{
    QString title;
    Page page;
    QList<LaidOutPage> pages;
};

} // namespace tavrel::report
