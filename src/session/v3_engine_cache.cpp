#include "session/v3_engine_cache.h"

#include <algorithm>

unsigned V3Engine::time_now() const {
    const auto elapsed = std::chrono::steady_clock::now() - learned;
    return time + static_cast<unsigned>(
                      std::chrono::duration_cast<std::chrono::seconds>(elapsed).count());
}

V3EngineCache& V3EngineCache::process() {
    static V3EngineCache cache(kDefaultCapacity);
    return cache;
}

V3EngineCache::Entries::iterator V3EngineCache::locate(const std::string& agent) {
    return std::find_if(entries_.begin(), entries_.end(),
                        [&](const Entries::value_type& entry) { return entry.first == agent; });
}

bool V3EngineCache::find(const std::string& agent, const std::vector<unsigned char>& wanted,
                         V3Engine* engine) {
    std::lock_guard<std::mutex> lock(mutex_);
    auto found = locate(agent);
    if (found == entries_.end() || (!wanted.empty() && found->second.id != wanted)) return false;
    entries_.splice(entries_.begin(), entries_, found);
    *engine = found->second;
    return true;
}

void V3EngineCache::store(const std::string& agent, const V3Engine& engine) {
    try {
        std::lock_guard<std::mutex> lock(mutex_);
        auto found = locate(agent);
        if (found != entries_.end()) {
            // In place: an agent polled again costs no allocation.
            found->second = engine;
            entries_.splice(entries_.begin(), entries_, found);
            return;
        }
        entries_.emplace_front(agent, engine);
        while (entries_.size() > capacity_) entries_.pop_back();
    } catch (...) {
        // Without memory the next request discovers again.
    }
}

void V3EngineCache::forget(const std::string& agent) {
    std::lock_guard<std::mutex> lock(mutex_);
    auto found = locate(agent);
    if (found != entries_.end()) entries_.erase(found);
}

std::size_t V3EngineCache::size() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return entries_.size();
}
