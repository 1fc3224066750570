// Net-SNMP's process-wide side: the count of operations that use the
// library (initialised on the first, shut down after the last) and the lock
// that serialises every touch of its global state (USM user list, engine
// time cache, default store).
#ifndef PMSNMP_SESSION_V3_LIBRARY_H
#define PMSNMP_SESSION_V3_LIBRARY_H

#include <mutex>

// Guards Net-SNMP's global state. Recursive, since library callbacks run
// inside calls made under it.
std::recursive_mutex& pms_v3_library_lock();

// One operation's use of the library: the first use in the process
// initialises it (never reading or writing a configuration or persistent
// file, loading no MIB), the last one shuts it down. A library the host
// runs itself is left as the host set it up.
class V3LibraryUse {
public:
    V3LibraryUse();
    ~V3LibraryUse();
    V3LibraryUse(const V3LibraryUse&) = delete;
    V3LibraryUse& operator=(const V3LibraryUse&) = delete;
};

#endif
