#pragma once

#include <httplib.h>

#include <atomic>
#include <functional>

namespace tavrel {

// The network server's worker threads, which serve one connection at a time each, and
// how many accepted connections wait for one of them. While a connection waits, the
// server lets the kept ones go after their current call, so that a desk never waits for
// another desk's next calls.
class WorkerPool : public httplib::TaskQueue
{
public:
    explicit WorkerPool(int workers);

    void enqueue(std::function<void()> connection) override;
    void shutdown() override;

    // Connections accepted and not yet taken by a worker.
    int waiting() const { return m_waiting.load(); }
    // Workers serving a connection now.
    int busy() const { return m_busy.load(); }

private:
    httplib::ThreadPool m_threads;
    std::atomic<int> m_waiting = 0;
    std::atomic<int> m_busy = 0;
};

} // namespace tavrel
