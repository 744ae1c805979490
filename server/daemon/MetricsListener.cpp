#include "MetricsListener.h"

#include "ModuleError.h"

#include <httplib.h>

#include <thread>

namespace tavrel {

struct MetricsListener::Private
{
    std::function<QByteArray()> render;
    httplib::Server http;
    std::thread thread;
};

MetricsListener::MetricsListener(std::function<QByteArray()> render)
    : d(std::make_unique<Private>())
{
    d->render = std::move(render);
    d->http.new_task_queue = [] { return new httplib::ThreadPool(1); };
    d->http.set_keep_alive_max_count(1);
    d->http.Get("/metrics", [this](const httplib::Request&, httplib::Response& res) {
        const QByteArray text = d->render();
        res.set_content(text.constData(), size_t(text.size()),
                        "text/plain; version=0.0.4; charset=utf-8");
    });
}

MetricsListener::~MetricsListener()
{
    stop();
}

int MetricsListener::start(const QString& host, int port)
{
    const std::string address = host.toStdString();
    const int bound = port == 0 ? d->http.bind_to_any_port(address)
                                : (d->http.bind_to_port(address, port) ? port : -1);
    if (bound <= 0)
        throw ModuleError(
            QStringLiteral("No se pueden servir las métricas en %1:%2").arg(host).arg(port),
            ModuleError::Kind::Connection);
    d->thread = std::thread([this] { d->http.listen_after_bind(); });
    return bound;
}

void MetricsListener::stop()
{
    if (d->thread.joinable()) {
        d->http.stop();
        d->thread.join();
    }
}

} // namespace tavrel
