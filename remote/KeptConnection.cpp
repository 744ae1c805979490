#include "KeptConnection.h"

#include "BodyCompression.h"

#include <charconv>

namespace tavrel {

namespace {

// The seconds of "Keep-Alive: timeout=5, max=100", or -1.
int keepAliveSeconds(const std::string& header)
{
    const std::string key = "timeout=";
    const size_t at = header.find(key);
    if (at == std::string::npos)
        return -1;
    int seconds = -1;
    const char* first = header.data() + at + key.size();
    const auto [end, error] = std::from_chars(first, header.data() + header.size(), seconds);
    return error == std::errc() && end != first ? seconds : -1;
}

} // namespace

KeptConnection::KeptConnection(const std::string& baseUrl)
    : m_client(std::make_unique<httplib::Client>(baseUrl))
{
    m_client->set_keep_alive(true);
    m_client->set_tcp_nodelay(true);
    // Called for every socket the client opens, before it connects.
    m_client->set_socket_options([this](socket_t) { ++m_connections; });
}

httplib::Result KeptConnection::post(const std::string& path, const httplib::Headers& headers,
                                     const std::string& body, Repeat repeat, bool compress)
{
    // Close a connection the server may be about to close itself, rather than race it.
    if (m_idleLimit.count() >= 0 && m_client->is_socket_open() &&
        Clock::now() - m_lastAnswer >= m_idleLimit)
        m_client->stop();

    httplib::Request request;
    request.method = "POST";
    request.path = path;
    request.headers = headers;
    request.headers.emplace("Content-Type", "application/json; charset=utf-8");
    // The client library answers any gzip the server sends; "identity" keeps it from asking.
    request.headers.emplace("Accept-Encoding", compress ? "gzip" : "identity");
    if (compress && BodyCompression::worthCompressing(body.size())) {
        request.headers.emplace("Content-Encoding", "gzip");
        request.body = BodyCompression::gzip(body);
    } else {
        request.body = body;
    }
    // The library hands the answer over piece by piece, inflated, to be kept here.
    httplib::Response* reading = nullptr;
    request.content_receiver = [&reading](const char* data, size_t size, uint64_t, uint64_t) {
        if (reading->body.size() + size > MaxAnswerSize)
            return false;
        reading->body.append(data, size);
        return true;
    };
    for (int attempt = 1;; ++attempt) {
        auto response = std::make_unique<httplib::Response>();
        reading = response.get();
        httplib::Error error = httplib::Error::Success;
        bool reused = false;
        const Clock::time_point start = Clock::now();
        if (sendOnce(request, *response, error, reused)) {
            noteAnswer(*response);
            return httplib::Result(std::move(response), httplib::Error::Success);
        }
        // A request not written whole cannot have been carried out, on any connection. No
        // answer on a new connection is the server's or the network's fault, with nothing
        // to gain by trying again; neither is there after the wait for the answer ran out.
        const bool unsent = error == httplib::Error::Write;
        const bool unanswered = error == httplib::Error::Read && response->status < 0 &&
                                Clock::now() - start < m_readTimeout;
        const bool again =
            attempt == 1 && (unsent || (reused && unanswered && repeat == Repeat::IfUnanswered));
        if (!again) {
            // The rest of a refused answer is never read: the connection cannot be used.
            if (error == httplib::Error::Canceled)
                m_client->stop();
            return httplib::Result(nullptr, error);
        }
    }
}

void KeptConnection::setTimeout(std::chrono::seconds timeout)
{
    m_readTimeout = timeout;
    m_client->set_read_timeout(timeout);
    m_client->set_write_timeout(timeout);
}

bool KeptConnection::sendOnce(httplib::Request& request, httplib::Response& response,
                              httplib::Error& error, bool& reused)
{
    // The client checks a kept socket before writing and opens a new one when the server
    // has closed it; only a socket that was open before and is still the same was reused.
    const bool open = m_client->is_socket_open();
    const int opened = m_connections;
    const bool done = m_client->send(request, response, error);
    reused = open && m_connections == opened;
    return done;
}

void KeptConnection::noteAnswer(const httplib::Response& response)
{
    m_lastAnswer = Clock::now();
    if (response.has_header("Keep-Alive")) {
        const int seconds = keepAliveSeconds(response.get_header_value("Keep-Alive"));
        if (seconds >= 0)
            m_idleLimit = std::chrono::milliseconds(seconds * 500);
    }
}

} // namespace tavrel
