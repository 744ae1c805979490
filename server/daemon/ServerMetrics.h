#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <atomic>
#include <map>
#include <mutex>
#include <optional>

namespace tavrel {

// The network server's counters, written as Prometheus' text format (version 0.0.4) for
// /metrics: requests by call, method and status, a latency histogram per call, failed
// logins, database reconnections, and the bytes of the requests' and answers' bodies.
//
// A label value is never what a desk sent: a call is one of calls() (any other request is
// "other"), and a method is the name ServerMethodTable gives it, which the server passes
// only for a method it answers ("other" for none), so that no desk can make the number
// of series grow.
class ServerMetrics
{
public:
    // The server's own calls, as the access log names them.
    static const QStringList& calls();

    // One answered request; `method` for "invoke" only, as ServerMethodTable spells it,
    // empty when the request named no method the server answers.
    void request(const QString& call, const QString& method, int status, double seconds,
                 qint64 bytesIn, qint64 bytesOut);
    void failedLogin() { ++m_failedLogins; }
    void reconnect() { ++m_reconnects; }

    // What only the server knows at the moment of a scrape.
    struct Gauges
    {
        std::optional<qint64> sessionsOpen; // none when the database could not say
        int workersBusy = 0;
        int workers = 0;
    };
    QByteArray render(const Gauges& gauges) const;

    // `value` as a label value: backslash, double quote and line feed escaped.
    static QString labelValue(const QString& value);

    // Upper bounds of the latency histogram's buckets, in seconds.
    static constexpr double Buckets[] = {0.005, 0.01, 0.025, 0.05, 0.1, 0.25, 0.5, 1, 2.5, 5, 10};

private:
    struct Latency
    {
        qint64 counts[std::size(Buckets)] = {};
        qint64 count = 0;
        double sum = 0;
    };

    mutable std::mutex m_mutex;
    std::map<QString, qint64> m_requests; // by the labels' text
    std::map<QString, Latency> m_latency; // by call
    qint64 m_bytesIn = 0;
    qint64 m_bytesOut = 0;
    std::atomic<qint64> m_failedLogins = 0;
    std::atomic<qint64> m_reconnects = 0;
};

} // namespace tavrel
