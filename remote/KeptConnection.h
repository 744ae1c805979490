#pragma once

#include <httplib.h>

#include <chrono>
#include <memory>
#include <string>

namespace tavrel {

// A desk's kept-alive connection to its server, one request at a time (the caller
// serialises them).
//
// A server closes a kept connection when it has been idle for the server's keep-alive
// time, and a request written at that moment is lost: the write may fail, or the request
// reaches a socket the server no longer reads and no answer comes. Two things keep that
// from reaching the desk:
// - a connection idle for half the keep-alive time the server announced is closed here
//   and the request goes on a new one, before the server can close it;
// - a request that could not be written whole is sent once more on a new connection, and
//   so is a read that got no answer at all on a reused connection; a call that changes
//   data (Repeat::IfUnsent) is not sent again when unanswered, since the server may have
//   carried it out.
class KeptConnection
{
public:
    enum class Repeat
    {
        IfUnanswered, // reads: the answer is the same however often they are sent
        IfUnsent,     // calls that change data
    };

    // The largest answer a desk reads, counted as it is inflated: a few kilobytes from a
    // hostile or broken server that would inflate to gigabytes stop here. Far above any
    // packet a company's data makes (a 1,000-row relation is about 120 KB).
    static constexpr size_t MaxAnswerSize = 64 * 1024 * 1024;

    // `baseUrl` is "http://host:port" or "https://host:port".
    explicit KeptConnection(const std::string& baseUrl);

    // For the connection's settings (certificates, timeouts).
    httplib::Client& client() { return *m_client; }

    // Posts `body` as JSON. Fails as httplib::Client::Post does, and with
    // httplib::Error::Canceled for an answer over MaxAnswerSize. With `compress`, a large
    // body goes in gzip and the answer may come so; without it, neither does (bodies that
    // carry a secret, see BodyCompression).
    httplib::Result post(const std::string& path, const httplib::Headers& headers,
                         const std::string& body, Repeat repeat, bool compress = true);

    // How long a request may take to write and its answer to come (default 120 s).
    void setTimeout(std::chrono::seconds timeout);

private:
    using Clock = std::chrono::steady_clock;

    bool sendOnce(httplib::Request& request, httplib::Response& response, httplib::Error& error,
                  bool& reused);
    void noteAnswer(const httplib::Response& response);

    std::unique_ptr<httplib::Client> m_client;
    int m_connections = 0;
    std::chrono::seconds m_readTimeout{120};
    Clock::time_point m_lastAnswer;
    // Half the server's announced keep-alive time; negative while none was announced.
    std::chrono::milliseconds m_idleLimit{-1};
};

} // namespace tavrel
