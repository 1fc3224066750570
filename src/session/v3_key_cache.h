// Keys derived from pass phrases (RFC 3414 A.2.1: a megabyte hashed per
// key), kept process-wide so that polling the same agent does not pay the
// derivation on every request. Bounded, least recently used out; key
// material and pass phrases are wiped when an entry leaves and at process
// end, and never logged.
#ifndef PMSNMP_SESSION_V3_KEY_CACHE_H
#define PMSNMP_SESSION_V3_KEY_CACHE_H

#include <cstddef>
#include <list>
#include <mutex>
#include <string>
#include <vector>

#include <net-snmp/net-snmp-config.h>
#include <net-snmp/net-snmp-includes.h>

class V3KeyCache {
public:
    static constexpr std::size_t kDefaultCapacity = 64;

    explicit V3KeyCache(std::size_t capacity);
    ~V3KeyCache();
    V3KeyCache(const V3KeyCache&) = delete;
    V3KeyCache& operator=(const V3KeyCache&) = delete;

    static V3KeyCache& process();

    // generate_Ku's contract; a failure is returned as is and not kept.
    int derive(const oid* hash, std::size_t hash_length, const u_char* phrase,
               std::size_t phrase_length, u_char* key, std::size_t* key_length);

    std::size_t size() const;
    bool holds(const oid* hash, std::size_t hash_length, const std::string& phrase) const;

private:
    struct Entry {
        std::vector<oid> hash;
        std::string phrase;
        u_char key[USM_AUTH_KU_LEN];
        std::size_t key_length;
    };

    static void wipe(Entry* entry);
    std::list<Entry>::iterator find(const oid* hash, std::size_t hash_length,
                                    const std::string& phrase) const;
    bool lookup(const Entry& probe, u_char* key, std::size_t* key_length);
    void store(Entry* fresh);

    const std::size_t capacity_;
    mutable std::mutex mutex_;
    mutable std::list<Entry> entries_;  // most recently used first
};

#endif
