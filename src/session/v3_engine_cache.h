// What engine discovery learned about an agent (RFC 3414 4: its engine
// identifier, boots and time), kept process-wide so that a later request to
// the same agent goes out at once instead of after another discovery round
// trip. Bounded, least recently used out; nothing is waited for under its
// lock.
#ifndef PMSNMP_SESSION_V3_ENGINE_CACHE_H
#define PMSNMP_SESSION_V3_ENGINE_CACHE_H

#include <chrono>
#include <cstddef>
#include <list>
#include <mutex>
#include <string>
#include <vector>

struct V3Engine {
    std::vector<unsigned char> id;
    unsigned boots = 0;
    unsigned time = 0;
    // Whether boots and time came in an authenticated message.
    bool authenticated = false;
    // When boots and time were learned; none yet when both are 0.
    std::chrono::steady_clock::time_point learned;

    // The engine's time now, counted on from when it was learned.
    unsigned time_now() const;
};

class V3EngineCache {
public:
    static constexpr std::size_t kDefaultCapacity = 256;

    explicit V3EngineCache(std::size_t capacity) : capacity_(capacity) {}
    V3EngineCache(const V3EngineCache&) = delete;
    V3EngineCache& operator=(const V3EngineCache&) = delete;

    static V3EngineCache& process();

    // The engine kept for agent (its key: host and port); with a
    // non-empty wanted identifier only an engine of that identifier.
    bool find(const std::string& agent, const std::vector<unsigned char>& wanted,
              V3Engine* engine);
    void store(const std::string& agent, const V3Engine& engine);
    void forget(const std::string& agent);
    std::size_t size() const;

private:
    typedef std::list<std::pair<std::string, V3Engine>> Entries;
    Entries::iterator locate(const std::string& agent);

    const std::size_t capacity_;
    mutable std::mutex mutex_;
    Entries entries_;  // most recently used first
};

#endif
