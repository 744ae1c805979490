#pragma once

#include "TavrelReportsExport.h"

#include <QMarginsF>
#include <QPageLayout>
#include <QPageSize>
#include <QRectF>
#include <QSizeF>

namespace tavrel::report {

// The paper of a report: size, orientation and margins. Margins are kept in
// millimetres as designed; everything else is answered in report units.
class TAVREL_REPORTS_EXPORT Page
{
public:
    // Letter, portrait, 10 mm margins on every side.
    Page();
    Page(const QPageSize& size, QPageLayout::Orientation orientation, const QMarginsF& marginsMm);

    const QPageSize& pageSize() const { return m_size; }
    void setPageSize(const QPageSize& size) { m_size = size; }
    QPageLayout::Orientation orientation() const { return m_orientation; }
    void setOrientation(QPageLayout::Orientation orientation) { m_orientation = orientation; }
    const QMarginsF& marginsMm() const { return m_marginsMm; }
    void setMarginsMm(const QMarginsF& marginsMm) { m_marginsMm = marginsMm; }

    // Paper size with the orientation applied.
    QSizeF paperSize() const;
    QMarginsF margins() const;
    QRectF printableRect() const;
    qreal printableWidth() const { return printableRect().width(); }
    qreal printableHeight() const { return printableRect().height(); }

    // The same page for Qt's printers and PDF writer.
    QPageLayout pageLayout() const;

private:
    QPageSize m_size;
    QPageLayout::Orientation m_orientation = QPageLayout::Portrait;
    QMarginsF m_marginsMm;
};

} // namespace tavrel::report
