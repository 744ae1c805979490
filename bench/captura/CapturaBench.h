#pragma once

#include <QString>
#include <memory>

namespace tavrel::bench {

// The lookup dialog on a long account list: opening it with every row, and each
// keystroke of the incremental search (the grid painted after it), against floors taken
// in the same run: the rows read straight from the database, and a repaint of the grid.
class CapturaBench
{
public:
    struct Result
    {
        int rows = 0;
        double open = 0;      // MostrarCaptura until the dialog shows its rows, seconds
        double openFloor = 0; // the same SELECT read with a plain query
        int keystrokes = 0;
        double keyMedian = 0; // per keystroke, seconds
        double keyMax = 0;
        double keyCpuMedian = 0; // processor time per keystroke (the machine may be shared)
        double keyCpuMax = 0;
        double valueSearch = 0; // the value search button, to a code near the end
        double repaint = 0;     // the grid repainted, nothing searched (median)
    };

    // A SQLite file in `dir`: the demo and `accounts` accounts under one concept of
    // company 1. Made once and kept.
    static QString database(const QString& dir, int accounts, bool regenerate);

    // Needs a QApplication.
    static Result measure(const QString& database);
};

} // namespace tavrel::bench
