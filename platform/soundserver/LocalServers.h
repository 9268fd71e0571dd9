#pragma once

#include <string>

namespace platform
{
    // The entries of a sound server list, as PULSE_SERVER holds it, that
    // name a local socket ("unix:/path" or "/path", each with an optional
    // "{machine}" prefix), separated by spaces. Every other entry names a
    // network server: libpulse looks its host up on a thread of its own and,
    // when the connection is given up, waits for that lookup however long
    // it takes, so the panel only ever talks to a server of this machine.
    std::string localServersOf (const std::string& serverList);
}
