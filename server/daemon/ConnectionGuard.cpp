#include "ConnectionGuard.h"

namespace tavrel {

ConnectionGuard::ConnectionGuard(int perAddress) : m_perAddress(perAddress) {}

bool ConnectionGuard::admit(const std::string& address)
{
    const std::lock_guard lock(m_mutex);
    int& open = m_open[address];
    if (open >= m_perAddress) {
        if (open == 0)
            m_open.erase(address);
        return false;
    }
    ++open;
    return true;
}

void ConnectionGuard::release(const std::string& address)
{
    const std::lock_guard lock(m_mutex);
    const auto it = m_open.find(address);
    if (it != m_open.end() && --it->second <= 0)
        m_open.erase(it);
}

} // namespace tavrel
