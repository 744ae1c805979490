#pragma once

#include <QString>
#include <QStringList>
#include <chrono>
#include <memory>

namespace tavrel::bench {

// Many desks on one network server: `clients` threads, each logged in as its own session,
// make `calls` mixed calls (open the relation of a company, post an edited row, ask the
// server's date, now and then the caused-value update); and one desk's work timed
// in-process and through the server.
class RemoteLoadBench
{
public:
    // Median seconds, in-process, through the server on loopback and, with a round trip
    // set, through the server at that distance (the Far times), in turns.
    struct Desk
    {
        double windowLocal = 0, windowRemote = 0; // the relation window, load entry to first screen
        double openLocal = 0, openRemote = 0;     // the reads of its relation and lists alone
        double rowsLocal = 0, rowsRemote = 0;     // the read of the company's relation alone
        int rows = 0;
        double causedLocal = 0, causedRemote = 0; // the module's caused-value update
        double windowFar = 0, openFar = 0, rowsFar = 0, causedFar = 0;
    };
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
    };

    // `ownerUrl` is a PostgreSQL database with the demo data, owned by the URL's role
    // (which may create roles).
    explicit RemoteLoadBench(const QString& ownerUrl);
    ~RemoteLoadBench();

    Result run(int clients, int calls);
    // The window opens on `company`. With `roundTrip` zero or more, the desk is also timed
    // through a relay that delays each direction by half of it.
    Desk desk(int company, std::chrono::milliseconds roundTrip = std::chrono::milliseconds(-1));

private:
    struct Private;
    std::unique_ptr<Private> d;
};

} // namespace tavrel::bench
