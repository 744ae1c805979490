#pragma once

#include <QList>
#include <QString>
#include <functional>
#include <memory>

namespace tavrel::bench {

// A network server under desks that come and go for a while: each of `clients` threads
// logs in, makes a burst of mixed calls, then logs out or drops its connection without
// a word, and again, until the time is up. Meanwhile the server process's resident
// memory, threads and open files are sampled, to see whether anything piles up.
class RemoteSoak
{
public:
    struct Options
    {
        int clients = 50;
        int seconds = 600;
        int sampleSeconds = 5;
        int warmUpSeconds = 60; // the memory after it is the baseline
    };

    struct Sample
    {
        double at = 0; // seconds since the start
        qint64 rssKb = 0;
        int threads = 0;
        int files = 0;
        qint64 calls = 0;
    };

    struct Result
    {
        qint64 calls = 0;
        qint64 sessions = 0; // logins
        qint64 dropped = 0;  // sessions left without logging out
        qint64 errors = 0;   // calls that failed other than by a refused conflict
        qint64 conflicts = 0;
        QString firstError;
        QList<Sample> samples;
        Sample warm;          // the first sample after the warm-up
        Sample end;           // the last one
        qint64 peakRssKb = 0; // after the warm-up
        int serverExit = 0;   // the server's exit status once stopped
        QString serverErrors; // what it wrote to standard error
    };

    // Starts `serverBinary` (tavrel-server) on a loopback port for `ownerUrl`, a
    // PostgreSQL database with the demo data whose owner may create roles.
    RemoteSoak(const QString& ownerUrl, const QString& serverBinary);
    ~RemoteSoak();

    // `progress` gets every sample as it is taken.
    Result run(const Options& options, const std::function<void(const Sample&)>& progress);

private:
    struct Private;
    std::unique_ptr<Private> d;
};

} // namespace tavrel::bench
