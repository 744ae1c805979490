#pragma once

#include <atomic>
#include <chrono>
#include <memory>
#include <thread>
#include <vector>

namespace tavrel::bench {

// A TCP relay on loopback that stands for a long network: every byte that crosses it, in
// either direction, arrives half a round trip after it was sent. Bandwidth is not
// limited; only the distance is simulated.
class DelayingRelay
{
public:
    // Relays 127.0.0.1:port() to 127.0.0.1:`target` with a round trip of `roundTrip`.
    DelayingRelay(int target, std::chrono::milliseconds roundTrip);
    ~DelayingRelay();
    DelayingRelay(const DelayingRelay&) = delete;
    DelayingRelay& operator=(const DelayingRelay&) = delete;

    int port() const { return m_port; }

private:
    struct Pipe;
    struct Connection;
    void accept();
    void relay(int desk);

    int m_target;
    std::chrono::milliseconds m_oneWay;
    int m_listener = -1;
    int m_port = 0;
    std::atomic<bool> m_stop = false;
    std::thread m_accepting;
    std::vector<std::unique_ptr<Connection>> m_connections;
};

} // namespace tavrel::bench
