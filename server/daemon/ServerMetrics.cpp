#include "ServerMetrics.h"

namespace tavrel {

namespace {

void family(QString& text, const char* name, const char* type, const char* help)
{
    text += QStringLiteral("# HELP %1 %2\n# TYPE %1 %3\n")
                .arg(QLatin1String(name), QLatin1String(help), QLatin1String(type));
}

} // namespace

const QStringList& ServerMetrics::calls()
{
    static const QStringList names{QStringLiteral("health"), QStringLiteral("login"),
                                   QStringLiteral("logout"), QStringLiteral("open"),
                                   QStringLiteral("apply"),  QStringLiteral("invoke"),
                                   QStringLiteral("batch")};
    return names;
}

QString ServerMetrics::labelValue(const QString& value)
{
    QString escaped = value;
    escaped.replace(QLatin1Char('\\'), QLatin1String("\\\\"))
        .replace(QLatin1Char('"'), QLatin1String("\\\""))
        .replace(QLatin1Char('\n'), QLatin1String("\\n"));
    return escaped;
}

void ServerMetrics::request(const QString& call, const QString& method, int status, double seconds,
                            qint64 bytesIn, qint64 bytesOut)
{
    const QString other = QStringLiteral("other");
    const QString known = calls().contains(call) ? call : other;
    QString labels = QStringLiteral("call=\"%1\"").arg(labelValue(known));
    if (known == QLatin1String("invoke")) {
        labels +=
            QStringLiteral(",method=\"%1\"").arg(labelValue(method.isEmpty() ? other : method));
    }
    labels += QStringLiteral(",status=\"%1\"").arg(status);
    const std::lock_guard lock(m_mutex);
    ++m_requests[labels];
    Latency& latency = m_latency[known];
    for (size_t i = 0; i < std::size(Buckets); ++i) {
        if (seconds <= Buckets[i])
            ++latency.counts[i];
    }
    ++latency.count;
    latency.sum += seconds;
    m_bytesIn += bytesIn;
    m_bytesOut += bytesOut;
}

QByteArray ServerMetrics::render(const Gauges& gauges) const
{
    QString text;
    const std::lock_guard lock(m_mutex);
    family(text, "tavrel_requests_total", "counter", "Peticiones atendidas, por llamada y estado.");
    for (const auto& [labels, count] : m_requests)
        text += QStringLiteral("tavrel_requests_total{%1} %2\n").arg(labels).arg(count);
    family(text, "tavrel_request_duration_seconds", "histogram",
           "Tiempo de respuesta de cada llamada.");
    for (const auto& [call, latency] : m_latency) {
        const QString name = QStringLiteral("tavrel_request_duration_seconds");
        const QString label = QStringLiteral("call=\"%1\"").arg(labelValue(call));
        for (size_t i = 0; i < std::size(Buckets); ++i)
            text += QStringLiteral("%1_bucket{%2,le=\"%3\"} %4\n")
                        .arg(name, label, QString::number(Buckets[i]))
                        .arg(latency.counts[i]);
        text +=
            QStringLiteral("%1_bucket{%2,le=\"+Inf\"} %3\n").arg(name, label).arg(latency.count);
        text += QStringLiteral("%1_sum{%2} %3\n").arg(name, label, QString::number(latency.sum));
        text += QStringLiteral("%1_count{%2} %3\n").arg(name, label).arg(latency.count);
    }
    if (gauges.sessionsOpen) {
        family(text, "tavrel_sessions_open", "gauge", "Sesiones vigentes en la base de datos.");
        text += QStringLiteral("tavrel_sessions_open %1\n").arg(*gauges.sessionsOpen);
    }
    family(text, "tavrel_failed_logins_total", "counter", "Ingresos rechazados.");
    text += QStringLiteral("tavrel_failed_logins_total %1\n").arg(m_failedLogins.load());
    family(text, "tavrel_database_reconnects_total", "counter",
           "Conexiones a la base de datos abiertas de nuevo por un hilo de trabajo.");
    text += QStringLiteral("tavrel_database_reconnects_total %1\n").arg(m_reconnects.load());
    family(text, "tavrel_workers_busy", "gauge", "Hilos de trabajo atendiendo una conexión.");
    text += QStringLiteral("tavrel_workers_busy %1\n").arg(gauges.workersBusy);
    family(text, "tavrel_workers", "gauge", "Hilos de trabajo.");
    text += QStringLiteral("tavrel_workers %1\n").arg(gauges.workers);
    family(text, "tavrel_received_bytes_total", "counter",
           "Bytes de los cuerpos de las peticiones.");
    text += QStringLiteral("tavrel_received_bytes_total %1\n").arg(m_bytesIn);
    family(text, "tavrel_sent_bytes_total", "counter", "Bytes de los cuerpos de las respuestas.");
    text += QStringLiteral("tavrel_sent_bytes_total %1\n").arg(m_bytesOut);
    return text.toUtf8();
}

} // namespace tavrel
