#include "TextKeyIndex.h"

#include <algorithm>
#include <climits>

namespace tavrel {

namespace {

bool packedBefore(quint64 highA, quint64 lowA, quint64 highB, quint64 lowB)
{
    return highA < highB || (highA == highB && lowA < lowB);
}

char16_t foldedUnit(char16_t unit)
{
    if (unit < 0x80)
        return unit >= u'A' && unit <= u'Z' ? char16_t(unit + (u'a' - u'A')) : unit;
    const char32_t f = QChar::toCaseFolded(char32_t(unit));
    return QChar::requiresSurrogates(f) ? unit : char16_t(f);
}

} // namespace

TextKeyIndex::TextKeyIndex(const QStringList& texts, bool caseInsensitive)
    : m_caseInsensitive(caseInsensitive), m_texts(texts)
{
    if (caseInsensitive) {
        m_folded.resize(size_t(texts.size()));
        m_hasFolded.assign(size_t(texts.size()), 0);
    }
    m_entries.reserve(size_t(texts.size()));
    for (int row = 0; row < texts.size(); ++row)
        m_entries.push_back(packed(texts.at(row), 0, row));
    const auto before = [](const Entry& a, const Entry& b) {
        if (a.high != b.high || a.low != b.low)
            return packedBefore(a.high, a.low, b.high, b.low);
        return a.row < b.row;
    };
    if (!std::is_sorted(m_entries.begin(), m_entries.end(), before))
        std::sort(m_entries.begin(), m_entries.end(), before);
    m_refined.assign(m_entries.size(), 0);
    m_blockLowest.resize((m_entries.size() + blockSize - 1) / blockSize);
    computeBlocks(0, m_blockLowest.size());
}

TextKeyIndex::Entry TextKeyIndex::packed(const QString& text, char16_t filler, int row) const
{
    // A surrogate among the packed units folds as a whole character.
    QString whole;
    const QString* units = &text;
    if (m_caseInsensitive) {
        for (qsizetype i = 0; i <= packedUnits && i < text.size(); ++i) {
            if (text.at(i).isSurrogate()) {
                whole = folded(text);
                units = &whole;
                break;
            }
        }
    }
    const bool fold = m_caseInsensitive && units == &text;
    Entry e{0, 0, row};
    for (qsizetype i = 0; i < packedUnits; ++i) {
        char16_t unit = filler;
        if (i < units->size())
            unit = fold ? foldedUnit(units->at(i).unicode()) : units->at(i).unicode();
        (i < 4 ? e.high : e.low) |= quint64(unit) << (16 * (3 - i % 4));
    }
    return e;
}

const QString& TextKeyIndex::key(int row)
{
    if (!m_caseInsensitive)
        return m_texts.at(row);
    if (!m_hasFolded[size_t(row)]) {
        m_folded[size_t(row)] = folded(m_texts.at(row));
        m_hasFolded[size_t(row)] = 1;
    }
    return m_folded[size_t(row)];
}

int TextKeyIndex::firstRow(const QString& searched, bool partial)
{
    const QString wanted = m_caseInsensitive ? folded(searched) : searched;
    const Entry from = packed(searched, 0, 0);
    const auto first = std::lower_bound(
        m_entries.begin(), m_entries.end(), from,
        [](const Entry& e, const Entry& k) { return packedBefore(e.high, e.low, k.high, k.low); });
    if (wanted.size() < packedUnits) {
        if (!partial) {
            // Texts shorter than the packed units are told apart by them.
            for (auto it = first;
                 it != m_entries.end() && it->high == from.high && it->low == from.low; ++it) {
                if (key(it->row) == wanted)
                    return it->row;
            }
            return -1;
        }
        // Every text whose packed units lie between the searched text filled with the
        // lowest and with the highest unit starts with it.
        const Entry to = packed(searched, 0xffff, 0);
        const auto end =
            std::upper_bound(first, m_entries.end(), to, [](const Entry& k, const Entry& e) {
                return packedBefore(k.high, k.low, e.high, e.low);
            });
        return first == end
                   ? -1
                   : lowestRow(size_t(first - m_entries.begin()), size_t(end - m_entries.begin()));
    }

    // The texts that start with the searched one share its packed units: one run.
    const auto runEnd =
        std::upper_bound(first, m_entries.end(), from, [](const Entry& k, const Entry& e) {
            return packedBefore(k.high, k.low, e.high, e.low);
        });
    const size_t runFrom = size_t(first - m_entries.begin());
    const size_t runTo = size_t(runEnd - m_entries.begin());
    if (runFrom == runTo)
        return -1;
    refine(runFrom, runTo);
    const auto match =
        std::lower_bound(first, runEnd, wanted, [this](const Entry& e, const QString& k) {
            return QString::compare(key(e.row), k, Qt::CaseSensitive) < 0;
        });
    if (!partial)
        return match != runEnd && key(match->row) == wanted ? match->row : -1;
    const auto end = std::partition_point(
        match, runEnd, [&](const Entry& e) { return key(e.row).startsWith(wanted); });
    return match == end
               ? -1
               : lowestRow(size_t(match - m_entries.begin()), size_t(end - m_entries.begin()));
}

void TextKeyIndex::refine(size_t from, size_t to)
{
    if (m_refined[from])
        return;
    const auto before = [this](const Entry& a, const Entry& b) {
        const int order = QString::compare(key(a.row), key(b.row), Qt::CaseSensitive);
        return order < 0 || (order == 0 && a.row < b.row);
    };
    const auto begin = m_entries.begin() + qsizetype(from);
    const auto end = m_entries.begin() + qsizetype(to);
    // A query ordered by the searched column arrives in this order already.
    if (!std::is_sorted(begin, end, before))
        std::sort(begin, end, before);
    m_refined[from] = 1;
    computeBlocks(from / blockSize, (to - 1) / blockSize + 1);
}

void TextKeyIndex::computeBlocks(size_t fromBlock, size_t toBlock)
{
    for (size_t b = fromBlock; b < toBlock; ++b) {
        int lowest = INT_MAX;
        for (size_t i = b * blockSize; i < std::min((b + 1) * blockSize, m_entries.size()); ++i)
            lowest = std::min(lowest, m_entries[i].row);
        m_blockLowest[b] = lowest;
    }
}

int TextKeyIndex::lowestRow(size_t from, size_t to) const
{
    int lowest = INT_MAX;
    size_t i = from;
    for (; i < to && i % blockSize != 0; ++i)
        lowest = std::min(lowest, m_entries[i].row);
    for (; i + blockSize <= to; i += blockSize)
        lowest = std::min(lowest, m_blockLowest[i / blockSize]);
    for (; i < to; ++i)
        lowest = std::min(lowest, m_entries[i].row);
    return lowest;
}

QString TextKeyIndex::folded(const QString& text)
{
    QString out = text;
    char16_t* units = reinterpret_cast<char16_t*>(out.data());
    const qsizetype size = out.size();
    for (qsizetype i = 0; i < size; ++i) {
        const char16_t unit = units[i];
        if (QChar::isHighSurrogate(unit) && i + 1 < size && QChar::isLowSurrogate(units[i + 1])) {
            const char32_t f = QChar::toCaseFolded(QChar::surrogateToUcs4(unit, units[i + 1]));
            if (QChar::requiresSurrogates(f)) {
                units[i] = QChar::highSurrogate(f);
                units[i + 1] = QChar::lowSurrogate(f);
            }
            ++i;
            continue;
        }
        units[i] = foldedUnit(unit);
    }
    return out;
}

} // namespace tavrel
