#include "TextMeasurer.h"

#include <QFontMetricsF>
#include <QTextLayout>

namespace tavrel::report {

qreal TextMeasurer::lineHeight(const FontSpec& font) const
{
    return QFontMetricsF(font.toFont(kReferenceScale)).lineSpacing() / kReferenceScale;
}

qreal TextMeasurer::textWidth(const QString& text, const FontSpec& font) const
{
    return QFontMetricsF(font.toFont(kReferenceScale)).horizontalAdvance(text) / kReferenceScale;
}

QStringList TextMeasurer::breakLines(const QString& text, const FontSpec& font, qreal width,
                                     bool wrap) const
{
    QStringList lines;
    if (text.isEmpty())
        return lines;
    QString normalised = text;
    normalised.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(u'\r', u'\n');
    const QStringList paragraphs = normalised.split(u'\n');
    if (!wrap)
        return paragraphs;

    const QFont device = font.toFont(kReferenceScale);
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    for (const QString& paragraph : paragraphs) {
        if (paragraph.isEmpty()) {
            lines.append(QString());
            continue;
        }
        QTextLayout layout(paragraph, device);
        layout.setTextOption(option);
        layout.beginLayout();
        for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
            line.setLineWidth(qMax<qreal>(0, width * kReferenceScale));
            // The blank where a line was broken belongs to neither line.
            QString piece = paragraph.mid(line.textStart(), line.textLength());
            while (!piece.isEmpty() && piece.back().isSpace())
                piece.chop(1);
            lines.append(piece);
        }
        layout.endLayout();
    }
    return lines;
}

} // namespace tavrel::report
