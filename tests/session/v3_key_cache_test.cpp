// Keys kept for pass phrases: the same octets as a fresh derivation, one
// phrase's key never answers for another, and the cache stays bounded.
#include "session/v3_key_cache.h"

#include <gtest/gtest.h>

#include <string>

namespace {

const oid kSha[] = {1, 3, 6, 1, 6, 3, 10, 1, 1, 3};
const oid kMd5[] = {1, 3, 6, 1, 6, 3, 10, 1, 1, 2};
constexpr std::size_t kHashLength = sizeof(kSha) / sizeof(kSha[0]);

std::string derive(V3KeyCache* cache, const oid* hash, const std::string& phrase) {
    u_char key[USM_AUTH_KU_LEN];
    std::size_t length = sizeof(key);
    EXPECT_EQ(cache->derive(hash, kHashLength, reinterpret_cast<const u_char*>(phrase.data()),
                            phrase.size(), key, &length),
              SNMPERR_SUCCESS);
    return std::string(reinterpret_cast<char*>(key), length);
}

std::string fresh(const oid* hash, const std::string& phrase) {
    u_char key[USM_AUTH_KU_LEN];
    std::size_t length = sizeof(key);
    EXPECT_EQ(generate_Ku(hash, kHashLength, reinterpret_cast<const u_char*>(phrase.data()),
                          phrase.size(), key, &length),
              SNMPERR_SUCCESS);
    return std::string(reinterpret_cast<char*>(key), length);
}

TEST(V3KeyCache, HitGivesTheFreshKeyAndPhrasesDoNotShare) {
    V3KeyCache cache(4);
    const std::string first = derive(&cache, kSha, "maplesyrup");
    EXPECT_TRUE(cache.holds(kSha, kHashLength, "maplesyrup"));
    EXPECT_EQ(derive(&cache, kSha, "maplesyrup"), first);
    EXPECT_EQ(first, fresh(kSha, "maplesyrup"));
    EXPECT_EQ(cache.size(), 1u);

    // A phrase that differs in its last octet, or another hash, is derived anew.
    EXPECT_EQ(derive(&cache, kSha, "maplesyrul"), fresh(kSha, "maplesyrul"));
    EXPECT_EQ(derive(&cache, kMd5, "maplesyrup"), fresh(kMd5, "maplesyrup"));
    EXPECT_NE(derive(&cache, kSha, "maplesyrul"), first);
}

TEST(V3KeyCache, LeastRecentlyUsedLeavesFirst) {
    V3KeyCache cache(2);
    derive(&cache, kSha, "first phrase");
    derive(&cache, kSha, "second phrase");
    derive(&cache, kSha, "first phrase");
    derive(&cache, kSha, "third phrase");
    EXPECT_EQ(cache.size(), 2u);
    EXPECT_TRUE(cache.holds(kSha, kHashLength, "first phrase"));
    EXPECT_FALSE(cache.holds(kSha, kHashLength, "second phrase"));
    EXPECT_TRUE(cache.holds(kSha, kHashLength, "third phrase"));
}

}  // namespace
