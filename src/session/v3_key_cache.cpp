#include "session/v3_key_cache.h"

#include <algorithm>
#include <cstring>

V3KeyCache::V3KeyCache(std::size_t capacity) : capacity_(capacity) {}

V3KeyCache::~V3KeyCache() {
    std::lock_guard<std::mutex> lock(mutex_);
    for (Entry& entry : entries_) wipe(&entry);
}

V3KeyCache& V3KeyCache::process() {
    static V3KeyCache cache(kDefaultCapacity);
    return cache;
}

namespace {

// Stores through a volatile pointer are not dropped as dead, on every
// platform (explicit_bzero is glibc's alone).
void clear_octets(void* data, std::size_t size) {
    volatile unsigned char* octet = static_cast<volatile unsigned char*>(data);
    while (size-- > 0) *octet++ = 0;
}

}  // namespace

void V3KeyCache::wipe(Entry* entry) {
    clear_octets(entry->key, sizeof(entry->key));
    if (!entry->phrase.empty()) clear_octets(&entry->phrase[0], entry->phrase.size());
    entry->key_length = 0;
}

std::list<V3KeyCache::Entry>::iterator V3KeyCache::find(const oid* hash, std::size_t hash_length,
                                                        const std::string& phrase) const {
    return std::find_if(entries_.begin(), entries_.end(), [&](const Entry& entry) {
        return entry.phrase == phrase && entry.hash.size() == hash_length &&
               std::equal(entry.hash.begin(), entry.hash.end(), hash);
    });
}

std::size_t V3KeyCache::size() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return entries_.size();
}

bool V3KeyCache::holds(const oid* hash, std::size_t hash_length, const std::string& phrase) const {
    std::lock_guard<std::mutex> lock(mutex_);
    return find(hash, hash_length, phrase) != entries_.end();
}

bool V3KeyCache::lookup(const Entry& probe, u_char* key, std::size_t* key_length) {
    std::lock_guard<std::mutex> lock(mutex_);
    auto found = find(probe.hash.data(), probe.hash.size(), probe.phrase);
    if (found == entries_.end() || found->key_length > *key_length) return false;
    entries_.splice(entries_.begin(), entries_, found);
    std::memcpy(key, found->key, found->key_length);
    *key_length = found->key_length;
    return true;
}

void V3KeyCache::store(Entry* fresh) {
    std::lock_guard<std::mutex> lock(mutex_);
    // Another thread may have derived the same key meanwhile.
    if (find(fresh->hash.data(), fresh->hash.size(), fresh->phrase) != entries_.end()) return;
    entries_.push_front(Entry());
    Entry& kept = entries_.front();
    kept.hash = fresh->hash;
    kept.phrase = fresh->phrase;
    std::memcpy(kept.key, fresh->key, fresh->key_length);
    kept.key_length = fresh->key_length;
    while (entries_.size() > capacity_) {
        wipe(&entries_.back());
        entries_.pop_back();
    }
}

int V3KeyCache::derive(const oid* hash, std::size_t hash_length, const u_char* phrase,
                       std::size_t phrase_length, u_char* key, std::size_t* key_length) {
    Entry probe;
    probe.hash.assign(hash, hash + hash_length);
    probe.phrase.assign(reinterpret_cast<const char*>(phrase), phrase_length);
    probe.key_length = 0;
    int result = SNMPERR_SUCCESS;
    if (!lookup(probe, key, key_length)) {
        // Derived outside the lock: a miss takes milliseconds.
        result = generate_Ku(hash, hash_length, phrase, phrase_length, key, key_length);
        if (result == SNMPERR_SUCCESS && *key_length <= sizeof(probe.key)) {
            std::memcpy(probe.key, key, *key_length);
            probe.key_length = *key_length;
            store(&probe);
        }
    }
    wipe(&probe);
    return result;
}
