#pragma once

#include "MTavrelMPRExport.h"

#include <QString>
#include <QStringList>
#include <vector>

namespace tavrel {

// The texts of one column of a dataset's rows, ordered, so that Locate finds the first
// row whose text equals the searched one, or starts with it, by binary search instead of
// comparing every row. Texts compare the way RecordLocator compares them: by UTF-16 code
// units, each folded to its simple case folding when the search ignores case.
//
// The rows are ordered by the first eight units of their texts, packed into integers, so
// that building the index is an integer sort; the rows that share those eight units are
// put in the order of their whole texts the first time a search reaches past them. Built
// for one state of the rows; the dataset builds it again when they change.
class MTAVRELMPR_EXPORT TextKeyIndex
{
public:
    // One text per row, in row order (a null value as an empty text).
    TextKeyIndex(const QStringList& texts, bool caseInsensitive);

    // The lowest row whose text equals the searched one or, with `partial`, starts with
    // it; -1 when there is none.
    int firstRow(const QString& searched, bool partial);

    // The text with every character replaced by its simple case folding; same length.
    static QString folded(const QString& text);

private:
    static constexpr qsizetype packedUnits = 8;
    struct Entry
    {
        quint64 high; // units 0-3 of the text, 0 beyond its end
        quint64 low;  // units 4-7
        int row;
    };
    // The first packed units of the text as compared, filled with `filler` beyond its end.
    Entry packed(const QString& text, char16_t filler, int row) const;
    // The row's text as compared; folded the first time it is asked for.
    const QString& key(int row);
    // Puts the entries [from, to), which share their packed units, in the order of their
    // whole texts, once.
    void refine(size_t from, size_t to);
    void computeBlocks(size_t fromBlock, size_t toBlock);
    int lowestRow(size_t from, size_t to) const;

    static constexpr size_t blockSize = 64;
    bool m_caseInsensitive;
    QStringList m_texts;           // per row: its text
    std::vector<QString> m_folded; // per row: its folded text, once asked for
    std::vector<char> m_hasFolded;
    std::vector<Entry> m_entries;   // by packed units, then by whole text when refined, then row
    std::vector<char> m_refined;    // per entry: it starts a refined run
    std::vector<int> m_blockLowest; // the lowest row of each block of blockSize entries
};

} // namespace tavrel
