#pragma once

#include "TavrelContractsExport.h"

namespace tavrel {

// The process's local time zone, looked up once.
//
// Unless TZ names the zone, glibc's mktime reads the zone anew, a stat of /etc/localtime,
// on every call, and Qt turns each local date-time into seconds through mktime: reading a
// thousand rows with a date-time each cost a thousand file-system lookups.
class TAVREL_CONTRACTS_EXPORT LocalZone
{
public:
    // When TZ is not set, sets it to the system's zone, only if that zone's file is
    // installed (an unknown TZ would silently mean UTC). Call it at start, before any
    // other thread runs.
    static void pin();
};

} // namespace tavrel
