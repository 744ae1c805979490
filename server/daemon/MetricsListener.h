#pragma once

#include <QByteArray>
#include <QString>

#include <functional>
#include <memory>

namespace tavrel {

// The listener of /metrics, apart from the desks' port and its workers, so that a scrape
// never waits for a desk and a desk never for a scrape. One thread answers GET /metrics
// with what `render` returns; anything else is 404.
class MetricsListener
{
public:
    explicit MetricsListener(std::function<QByteArray()> render);
    ~MetricsListener();

    // Binds `host`:`port` (0: any free port) and serves on a thread of its own; returns
    // the port. Throws ModuleError when the address cannot be bound.
    int start(const QString& host, int port);
    void stop();

private:
    struct Private;
    std::unique_ptr<Private> d;
};

} // namespace tavrel
