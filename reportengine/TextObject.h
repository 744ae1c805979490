#pragma once

#include "TavrelReportsExport.h"

#include "FontSpec.h"
#include "Frame.h"
#include "ReportObject.h"
#include "TextTemplate.h"

#include <QColor>
#include <QMarginsF>

namespace tavrel::report {

// A text box: a literal text, a field, a variable or a mix of them (see TextTemplate).
// Text that does not fit the box is cut at the box; `Stretch` lets the box grow instead.
class TAVREL_REPORTS_EXPORT TextObject : public ReportObject
{
public:
    enum class Stretch
    {
        None,     // the box keeps its height
        ToText,   // the box grows to the height of its text
        ToTallest // grows to its text, then down to the lowest bottom of the band's objects
    };

    TextObject(const QString& name, const QRectF& geometry, const QString& text = {});

    const QString& text() const { return m_template.text(); }
    const TextTemplate& textTemplate() const { return m_template; }
    TextObject& setText(const QString& text);

    const FontSpec& font() const { return m_font; }
    TextObject& setFont(const FontSpec& font);
    TextObject& setFontPixelSize(qreal pixelSize);
    TextObject& setBold(bool bold);
    TextObject& setItalic(bool italic);

    const QColor& colour() const { return m_colour; }
    TextObject& setColour(const QColor& colour);
    // Invalid colour: no background.
    const QColor& fill() const { return m_fill; }
    TextObject& setFill(const QColor& fill);

    // Horizontal alignment: Qt::AlignLeft, Qt::AlignHCenter or Qt::AlignRight.
    Qt::Alignment horizontalAlignment() const { return m_hAlign; }
    TextObject& setHorizontalAlignment(Qt::Alignment alignment);
    // Vertical alignment: Qt::AlignTop, Qt::AlignVCenter or Qt::AlignBottom.
    Qt::Alignment verticalAlignment() const { return m_vAlign; }
    TextObject& setVerticalAlignment(Qt::Alignment alignment);

    const Frame& frame() const { return m_frame; }
    TextObject& setFrame(Frame::Sides sides, qreal width = 1);

    bool wordWrap() const { return m_wordWrap; }
    TextObject& setWordWrap(bool wrap);

    Stretch stretch() const { return m_stretch; }
    TextObject& setStretch(Stretch stretch);

    // Moves down below an object above it that grew into it.
    bool shiftWhenOverlapped() const { return m_shift; }
    TextObject& setShiftWhenOverlapped(bool shift);

    // Space between the box and its text; 2 units at the sides and 1 above and below.
    const QMarginsF& padding() const { return m_padding; }
    TextObject& setPadding(const QMarginsF& padding);

private:
    TextTemplate m_template;
    FontSpec m_font;
    QColor m_colour = Qt::black;
    QColor m_fill;
    Qt::Alignment m_hAlign = Qt::AlignLeft;
    Qt::Alignment m_vAlign = Qt::AlignTop;
    Frame m_frame;
    bool m_wordWrap = true;
    Stretch m_stretch = Stretch::None;
    bool m_shift = false;
    QMarginsF m_padding{2, 1, 2, 1};
};

} // namespace tavrel::report
