#pragma once

#include "TavrelReportsExport.h"

#include "LaidOutDocument.h"

#include <QList>
#include <QSet>
#include <QString>

namespace tavrel::report {

// Follows the pages of a document as they are drawn and tells which items of a page are
// drawn alike and at the same place on the pages before it: page headers and footers,
// the labels of blocks, a logo. Those can be drawn once, as a group every page shows.
// The group keeps only what it shares with each new page, so that data alike on two
// pages by chance drops out of it and the group settles on what every page shows.
class TAVREL_REPORTS_EXPORT RepeatedItems
{
public:
    struct Split
    {
        QList<const Primitive*> repeated; // in painting order; empty: draw the page as it is
        QList<const Primitive*> rest;
        bool changed = false; // the repeated items differ from the last page's
    };

    // The page's items split. Repeated items are drawn before the rest, so there are none
    // when fewer than two repeat or when some item of one part hides an item of the other.
    Split next(const LaidOutPage& page);

private:
    QSet<QString> m_previous; // the items of the page before
    QSet<QString> m_kept;     // the repeated items last given
};

} // namespace tavrel::report
