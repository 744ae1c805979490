#include "DelayingRelay.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <condition_variable>
#include <deque>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>

namespace tavrel::bench {

namespace {

using Clock = std::chrono::steady_clock;

void noDelay(int fd)
{
    const int on = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof(on));
}

} // namespace

// One direction of one connection: a reader that stamps what arrives and a writer that
// hands it on when its time has come. An empty piece is the end of the stream.
struct DelayingRelay::Pipe
{
    struct Piece
    {
        Clock::time_point due;
        std::string bytes;
    };
    int from;
    int to;
    std::chrono::milliseconds delay;
    std::mutex mutex;
    std::condition_variable ready;
    std::deque<Piece> pieces;
    std::atomic<bool> ended = false;
    std::thread reading;
    std::thread writing;

    Pipe(int in, int out, std::chrono::milliseconds d) : from(in), to(out), delay(d)
    {
        reading = std::thread([this] { read(); });
        writing = std::thread([this] { write(); });
    }
    ~Pipe()
    {
        reading.join();
        writing.join();
    }

    void read()
    {
        char buffer[65536];
        for (;;) {
            const ssize_t n = ::recv(from, buffer, sizeof(buffer), 0);
            Piece piece{Clock::now() + delay, n > 0 ? std::string(buffer, size_t(n)) : ""};
            {
                const std::lock_guard lock(mutex);
                pieces.push_back(std::move(piece));
            }
            ready.notify_one();
            if (n <= 0)
                return;
        }
    }

    void write()
    {
        for (;;) {
            Piece piece;
            {
                std::unique_lock lock(mutex);
                ready.wait(lock, [this] { return !pieces.empty(); });
                piece = std::move(pieces.front());
                pieces.pop_front();
            }
            std::this_thread::sleep_until(piece.due);
            size_t done = 0;
            while (done < piece.bytes.size()) {
                const ssize_t n =
                    ::send(to, piece.bytes.data() + done, piece.bytes.size() - done, MSG_NOSIGNAL);
                if (n <= 0)
                    break;
                done += size_t(n);
            }
            if (piece.bytes.empty() || done < piece.bytes.size()) {
                // The other side learns of the end as late as it would have over the line.
                ::shutdown(to, SHUT_WR);
                ::shutdown(from, SHUT_RD);
                ended = true;
                return;
            }
        }
    }
};

// Both directions of one desk's connection.
struct DelayingRelay::Connection
{
    int desk;
    int server;
    std::unique_ptr<Pipe> up;
    std::unique_ptr<Pipe> down;

    Connection(int d, int s, std::chrono::milliseconds delay)
        : desk(d), server(s), up(std::make_unique<Pipe>(d, s, delay)),
          down(std::make_unique<Pipe>(s, d, delay))
    {}
    ~Connection()
    {
        ::shutdown(desk, SHUT_RDWR);
        ::shutdown(server, SHUT_RDWR);
        up.reset();
        down.reset();
        ::close(desk);
        ::close(server);
    }
    bool ended() const { return up->ended && down->ended; }
};

DelayingRelay::DelayingRelay(int target, std::chrono::milliseconds roundTrip)
    : m_target(target), m_oneWay(roundTrip / 2)
{
    m_listener = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in at{};
    at.sin_family = AF_INET;
    at.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof(at);
    if (m_listener < 0 || ::bind(m_listener, reinterpret_cast<sockaddr*>(&at), sizeof(at)) != 0 ||
        ::listen(m_listener, SOMAXCONN) != 0 ||
        ::getsockname(m_listener, reinterpret_cast<sockaddr*>(&at), &length) != 0)
        throw std::runtime_error("the delaying relay cannot listen on loopback");
    m_port = ntohs(at.sin_port);
    m_accepting = std::thread([this] { accept(); });
}

DelayingRelay::~DelayingRelay()
{
    m_stop = true;
    m_accepting.join();
    ::close(m_listener);
    m_connections.clear();
}

void DelayingRelay::accept()
{
    while (!m_stop) {
        pollfd p{m_listener, POLLIN, 0};
        if (::poll(&p, 1, 100) <= 0)
            continue;
        const int desk = ::accept(m_listener, nullptr, nullptr);
        if (desk >= 0)
            relay(desk);
    }
}

void DelayingRelay::relay(int desk)
{
    const int server = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in at{};
    at.sin_family = AF_INET;
    at.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    at.sin_port = htons(uint16_t(m_target));
    if (server < 0 || ::connect(server, reinterpret_cast<sockaddr*>(&at), sizeof(at)) != 0) {
        ::close(desk);
        if (server >= 0)
            ::close(server);
        return;
    }
    noDelay(desk);
    noDelay(server);
    std::erase_if(m_connections, [](const auto& c) { return c->ended(); });
    m_connections.push_back(std::make_unique<Connection>(desk, server, m_oneWay));
}

} // namespace tavrel::bench
