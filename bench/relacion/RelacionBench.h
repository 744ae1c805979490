#pragma once

#include <QString>
#include <QtGlobal>

namespace tavrel::bench {

// The relation window at scale: from the module's load entry to the first screen of the
// grid, in a process of its own so that its peak memory is that of one window. The
// floor is the same company's rows read straight from the database, in the same run.
class RelacionBench
{
public:
    struct Result
    {
        int rows = 0;              // rows of the company in the window's grid
        double firstScreen = 0;    // load entry to the grid painted, seconds
        double firstScreenCpu = 0; // processor time of the same (the machine may be shared)
        double floor = 0;          // SELECT of the company's rows, every value read, seconds
        qint64 baseKb = 0;         // resident peak before the load entry (Qt, the module loaded)
        qint64 peakKb = 0;         // resident peak once the first screen is painted
    };

    // A SQLite file in `dir` with the demo and `rows` relation rows in each generated
    // company, without movements. Made once and kept.
    static QString database(const QString& dir, int rows, bool regenerate);

    // The company the window opens on.
    static constexpr int company = 11;

    // Runs in this process; needs a QApplication and the module library beside the
    // program.
    static Result measure(const QString& database);
};

} // namespace tavrel::bench
