#include "Page.h"

#include "ReportUnits.h"

namespace tavrel::report {

Page::Page() : Page(QPageSize(QPageSize::Letter), QPageLayout::Portrait, QMarginsF(10, 10, 10, 10))
{}

Page::Page(const QPageSize& size, QPageLayout::Orientation orientation, const QMarginsF& marginsMm)
    : m_size(size), m_orientation(orientation), m_marginsMm(marginsMm)
{}

QSizeF Page::paperSize() const
{
    // Millimetres are exact for both Letter and A4; the point sizes of A4 are rounded.
    const QSizeF mm = m_size.size(QPageSize::Millimeter);
    QSizeF units(mmToUnits(mm.width()), mmToUnits(mm.height()));
    if (m_orientation == QPageLayout::Landscape)
        units.transpose();
    return units;
}

QMarginsF Page::margins() const
{
    return QMarginsF(mmToUnits(m_marginsMm.left()), mmToUnits(m_marginsMm.top()),
                     mmToUnits(m_marginsMm.right()), mmToUnits(m_marginsMm.bottom()));
}

QRectF Page::printableRect() const
{
    return QRectF(QPointF(0, 0), paperSize()).marginsRemoved(margins());
}

QPageLayout Page::pageLayout() const
{
    return QPageLayout(m_size, m_orientation, m_marginsMm, QPageLayout::Millimeter);
}

} // namespace tavrel::report
