#pragma once

#include "HostSession.h"

class QSettings;

namespace tavrel {

// What the host remembers of the last login on this desk: the protocol, the database or
// server, the user and the company. Never the password.
class LoginMemory
{
public:
    // Fills what the session does not say yet with what was remembered.
    static void recall(const QSettings& settings, HostSession& session);
    static void remember(QSettings& settings, const HostSession& session);
};

} // namespace tavrel
