#include "TextMeasurer.h"

#include <QFontMetricsF>
#include <QTextLayout>

#include <cmath>

namespace tavrel::report {

// Found by argument-dependent lookup, so beside FontSpec.
static size_t qHash(const FontSpec& font, size_t seed = 0)
{
    return qHashMulti(seed, font.family, font.pixelSize, font.bold, font.italic);
}

namespace {

struct FontEntry
{
    QFont font;
    qreal lineHeight = 0;
};

struct ShapeKey
{
    QString text;
    FontSpec font;
    qint64 width; // hundredths of a unit
    bool wrap;

    bool operator==(const ShapeKey&) const = default;
};

size_t qHash(const ShapeKey& key, size_t seed = 0)
{
    return qHashMulti(seed, key.text, key.font, key.width, key.wrap);
}

constexpr qsizetype kMaxShapes = 4096;

} // namespace

struct TextMeasurer::Private
{
    QHash<FontSpec, FontEntry> fonts;
    QHash<ShapeKey, QList<ShapedLine>> shapes;

    const FontEntry& entry(const FontSpec& style)
    {
        auto found = fonts.constFind(style);
        if (found != fonts.constEnd())
            return *found;
        FontEntry e{style.toFont(kReferenceScale), 0};
        e.lineHeight = QFontMetricsF(e.font).lineSpacing() / kReferenceScale;
        return *fonts.insert(style, e);
    }

    QList<ShapedLine> layOut(const QString& text, const FontSpec& style, qreal width, bool wrap);
};

QList<ShapedLine> TextMeasurer::Private::layOut(const QString& text, const FontSpec& style,
                                                qreal width, bool wrap)
{
    QList<ShapedLine> lines;
    if (text.isEmpty())
        return lines;
    QString normalised = text;
    normalised.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(u'\r', u'\n');
    const QFont& font = entry(style).font;
    QTextOption option;
    option.setWrapMode(wrap ? QTextOption::WrapAtWordBoundaryOrAnywhere : QTextOption::NoWrap);
    for (const QString& paragraph : normalised.split(u'\n')) {
        if (paragraph.isEmpty()) {
            lines.append(ShapedLine());
            continue;
        }
        QTextLayout layout(paragraph, font);
        layout.setTextOption(option);
        layout.setCacheEnabled(true);
        layout.beginLayout();
        for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
            line.setLineWidth(wrap ? qMax<qreal>(0, width * kReferenceScale) : 1e6);
            line.setPosition(QPointF(0, 0));
        }
        layout.endLayout();
        for (int i = 0; i < layout.lineCount(); ++i) {
            const QTextLine line = layout.lineAt(i);
            ShapedLine shaped;
            // The blank where a line was broken belongs to neither line.
            shaped.text = paragraph.mid(line.textStart(), line.textLength());
            if (wrap) {
                while (!shaped.text.isEmpty() && shaped.text.back().isSpace())
                    shaped.text.chop(1);
            }
            shaped.width = line.naturalTextWidth() / kReferenceScale;
            shaped.glyphs = line.glyphRuns();
            lines.append(shaped);
        }
    }
    return lines;
}

TextMeasurer::TextMeasurer() : d(std::make_unique<Private>()) {}

TextMeasurer::~TextMeasurer() = default;

qreal TextMeasurer::lineHeight(const FontSpec& font) const
{
    return d->entry(font).lineHeight;
}

qreal TextMeasurer::textWidth(const QString& text, const FontSpec& font) const
{
    return QFontMetricsF(d->entry(font).font).horizontalAdvance(text) / kReferenceScale;
}

QStringList TextMeasurer::breakLines(const QString& text, const FontSpec& font, qreal width,
                                     bool wrap) const
{
    QStringList lines;
    for (const ShapedLine& line : shape(text, font, width, wrap))
        lines.append(line.text);
    return lines;
}

const QList<ShapedLine>& TextMeasurer::shape(const QString& text, const FontSpec& font, qreal width,
                                             bool wrap) const
{
    ShapeKey key{text, font, wrap ? qRound64(width * 100) : 0, wrap};
    auto found = d->shapes.constFind(key);
    if (found != d->shapes.constEnd())
        return *found;
    if (d->shapes.size() >= kMaxShapes)
        d->shapes.clear();
    return *d->shapes.insert(key, d->layOut(text, font, width, wrap));
}

} // namespace tavrel::report
