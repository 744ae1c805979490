#include "WorkerPool.h"

namespace tavrel {

WorkerPool::WorkerPool(int workers) : m_threads(size_t(workers)) {}

void WorkerPool::enqueue(std::function<void()> connection)
{
    ++m_waiting;
    m_threads.enqueue([this, connection = std::move(connection)] {
        --m_waiting;
        ++m_busy;
        connection();
        --m_busy;
    });
}

void WorkerPool::shutdown()
{
    m_threads.shutdown();
}

} // namespace tavrel
