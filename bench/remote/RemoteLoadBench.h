#pragma once

#include <QString>
#include <QStringList>
#include <memory>

namespace tavrel::bench {

// Many desks on one network server: `clients` threads, each logged in as its own session,
// make `calls` mixed calls (open the relation of a company, post an edited row, ask the
// server's date, now and then the caused-value update), and the same single-desk work
// is timed in-process and through the server.
class RemoteLoadBench
{
public:
    struct Result
    {
        int clients = 0;
        int calls = 0;       // per client
        int errors = 0;      // calls that failed other than by a refused conflict
        int conflicts = 0;   // edits refused because another desk changed the row first
        int lostUpdates = 0; // rows whose final total misses an accepted edit
        QString firstError;
        double seconds = 0;
        double p50 = 0, p99 = 0; // milliseconds per call
        // Median seconds for one relation window's reads and for one caused-value update,
        // in-process and through the server in turns.
        double openLocal = 0, openRemote = 0;
        double causedLocal = 0, causedRemote = 0;
    };

    // `ownerUrl` is a PostgreSQL database with the demo data, owned by the URL's role
    // (which may create roles).
    explicit RemoteLoadBench(const QString& ownerUrl);
    ~RemoteLoadBench();

    Result run(int clients, int calls);

private:
    struct Private;
    std::unique_ptr<Private> d;
};

} // namespace tavrel::bench
