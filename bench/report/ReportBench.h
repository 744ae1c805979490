#pragma once

#include <QString>

namespace tavrel::bench {

// One measurement of the relation report, run in a process of its own so that its peak
// memory is its own: the module over a generated SQLite database, as the host loads it,
// with the window open on one company.
class ReportBench
{
public:
    enum class Mode
    {
        Report,  // the window's PDF export, as `tavrel report` runs it
        Floor,   // the same texts, boxes and logo straight onto a PDF writer
        Preview, // the window's preview button until its first page is painted
        Walk,    // the relation walked and its texts read, nothing drawn
    };

    struct Result
    {
        int rows = 0;
        double fetchSeconds = 0; // the window opened and the company's rows read
        double seconds = 0;      // the measured step alone, CPU time of the process
        double wallSeconds = 0;  // the same on the clock
        qint64 bytes = 0;        // the PDF written (report and floor)
        qint64 peakKb = 0;       // VmHWM of the process at the end
        qint64 dataPeakKb = 0;   // VmHWM once the data had arrived
    };

    ReportBench(const QString& database, int company);
    ~ReportBench();

    Result run(Mode mode, const QString& pdfFile);

private:
    QString m_database;
    int m_company;
};

} // namespace tavrel::bench
