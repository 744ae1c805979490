#pragma once

#include <mutex>
#include <string>
#include <unordered_map>

namespace tavrel {

// How many connections each client address has in the workers' hands, so that one
// address (a desk gone wrong, or somebody holding connections open on purpose) cannot
// take every worker: a connection beyond the limit is closed as soon as a worker takes it.
class ConnectionGuard
{
public:
    explicit ConnectionGuard(int perAddress);

    // True when `address` may have one more connection; each admitted one is released.
    bool admit(const std::string& address);
    void release(const std::string& address);

private:
    std::mutex m_mutex;
    std::unordered_map<std::string, int> m_open;
    int m_perAddress;
};

} // namespace tavrel
