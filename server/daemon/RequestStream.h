#pragma once

#include <httplib.h>

#include <chrono>
#include <string>

namespace tavrel {

// One client connection as the HTTP library reads and writes it, with the limits the
// library does not keep itself: a request (line, headers and body, chunked or not) must
// arrive whole within its time and its bytes, and its answer must leave within the same
// time again. A request past either limit fails its read, and the connection is spent:
// the server answers it (408 or 413) and closes. A TLS connection's handshake has the
// same time.
//
// The socket is made non-blocking; every wait is a poll bounded by the deadline, so a
// client that sends a byte now and then cannot stretch it.
class RequestStream : public httplib::Stream
{
public:
    using Clock = std::chrono::steady_clock;

    enum class Refusal
    {
        None,
        Late,     // the request did not arrive whole in time
        TooLarge, // the request's bytes went past the limit
    };

    // `ssl` is null for plain HTTP; the stream does not own the socket or `ssl`.
    RequestStream(socket_t sock, SSL* ssl, std::chrono::milliseconds requestTime,
                  size_t maxRequestBytes);

    // Completes the TLS handshake within the request time; false when it failed.
    bool handshake();
    // Waits up to `idle` for the first byte of the next request.
    bool awaitRequest(std::chrono::milliseconds idle);
    // Starts the next request's clock and byte count.
    void beginRequest();
    // True once a request was refused or the connection failed: nothing more is read.
    bool spent() const { return m_refusal != Refusal::None || m_broken; }
    const std::string& remoteAddress() const { return m_address; }

    // Why the request this thread is serving was cut short.
    static Refusal refusal();

    bool is_readable() const override;
    bool is_writable() const override;
    ssize_t read(char* ptr, size_t size) override;
    ssize_t write(const char* ptr, size_t size) override;
    void get_remote_ip_and_port(std::string& ip, int& port) const override;
    void get_local_ip_and_port(std::string& ip, int& port) const override;
    socket_t socket() const override { return m_sock; }

private:
    // Waits for `events` until `deadline`; false (and the request refused as late) when
    // it passed first.
    bool waitFor(short events, Clock::time_point deadline);
    bool fill();
    void refuse(Refusal why);

    socket_t m_sock;
    SSL* m_ssl;
    std::chrono::milliseconds m_requestTime;
    size_t m_maxBytes;
    std::string m_address;
    int m_port = 0;

    char m_buffer[16384];
    size_t m_begin = 0;
    size_t m_end = 0;
    size_t m_consumed = 0;
    Clock::time_point m_readDeadline;
    Clock::time_point m_writeDeadline;
    bool m_writing = false;
    bool m_broken = false;
    Refusal m_refusal = Refusal::None;
};

} // namespace tavrel
