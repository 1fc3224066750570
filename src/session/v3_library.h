// Net-SNMP's process-wide side: its start on first use and the lock that
// serialises every touch of its global state (USM user list, engine time
// cache, default store).
#ifndef PMSNMP_SESSION_V3_LIBRARY_H
#define PMSNMP_SESSION_V3_LIBRARY_H

#include <mutex>

// Guards Net-SNMP's global state. Recursive, since library callbacks run
// inside calls made under it.
std::recursive_mutex& pms_v3_library_lock();

// One operation's use of the library, counted under the library lock. The
// first use in the process starts it (reading and writing no configuration
// or persistent file, loading no MIB); a library the host runs itself is
// left as the host set it up. When the last running use ends and no opened
// session is kept, the users and engine times it learned are forgotten, so
// no key outlives the operations and sessions that needed it. It is never
// shut down: each start/shutdown cycle of
// Net-SNMP 5.9 leaks its MIB tables (about 4.8 KB), which a monitor polling
// for months would feel.
// An opened library session that may outlive the operation that opened it
// (a pooled one): the library keeps its users and engine times while any is
// open. Under the library lock.
void pms_v3_library_session_opened();
void pms_v3_library_session_closed();

class V3LibraryUse {
public:
    V3LibraryUse();
    ~V3LibraryUse();
    V3LibraryUse(const V3LibraryUse&) = delete;
    V3LibraryUse& operator=(const V3LibraryUse&) = delete;
};

#endif
