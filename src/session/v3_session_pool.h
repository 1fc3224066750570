// Opened Net-SNMP sessions kept between requests, so that polling an agent
// pays for a socket, a library session and its user once, not per request.
// Keyed by everything a session is opened with but its time-out and
// retries (agent, user, level, protocols, pass phrases, context, engine).
// A session is out of the pool while a request uses it, so one thread at a
// time speaks on it; only sessions whose last exchange went well come back.
// Bounded, the oldest idle one out; idle ones are closed after a while, and
// all of them when the process ends. Nothing waits on the network under the
// pool's lock, and nothing is closed under it.
#ifndef PMSNMP_SESSION_V3_SESSION_POOL_H
#define PMSNMP_SESSION_V3_SESSION_POOL_H

#include <chrono>
#include <cstddef>
#include <list>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "message/snmp_target.h"
#include "session/v3_engine_cache.h"
#include "session/v3_open_session.h"

// The pool key of a request to target at agent (its agent key), speaking
// to engine; -2 for a target that is not user-based.
pmc_long pms_v3_pool_key(IPmsSnmpTarget* target, const std::string& agent,
                         const V3Engine& engine, std::string* key);

class V3SessionPool {
public:
    typedef std::chrono::steady_clock Clock;
    static constexpr std::size_t kDefaultCapacity = 32;
    static constexpr std::chrono::seconds kDefaultIdle{30};

    V3SessionPool(std::size_t capacity, Clock::duration idle);
    ~V3SessionPool();
    V3SessionPool(const V3SessionPool&) = delete;
    V3SessionPool& operator=(const V3SessionPool&) = delete;

    static V3SessionPool& process();

    // An idle session opened under key, out of the pool; null when none.
    std::unique_ptr<V3OpenSession> take(const std::string& key);
    // Keeps session as idle under key.
    void give_back(const std::string& key, std::unique_ptr<V3OpenSession> session);
    // Closes every idle session.
    void clear();
    std::size_t size() const;

private:
    struct Idle {
        std::string key;
        std::unique_ptr<V3OpenSession> session;
        Clock::time_point since;
    };
    typedef std::list<Idle> Entries;

    // Moves the sessions idle for too long (and beyond the capacity) into
    // leaving, to be closed once the lock is let go.
    void sweep(Clock::time_point now, Entries* leaving);

    const std::size_t capacity_;
    const Clock::duration idle_;
    mutable std::mutex mutex_;
    Entries entries_;  // most recently given back first
};

#endif
