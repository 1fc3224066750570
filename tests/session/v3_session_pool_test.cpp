// The pool of opened SNMPv3 sessions: what goes in comes out only under its
// own key, the oldest idle one leaves a full pool, idle ones expire.
#include "session/v3_session_pool.h"

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>

#include "session/v3_target_support.h"

namespace {

using session_test::make_user_target;

V3OpenSession* give(V3SessionPool* pool, const std::string& key) {
    auto session = std::make_unique<V3OpenSession>();
    V3OpenSession* lent = session.get();
    pool->give_back(key, std::move(session));
    return lent;
}

TEST(V3SessionPool, TakesOnlyItsOwnKeyAndTheOldestLeavesFirst) {
    V3SessionPool pool(2, std::chrono::hours(1));
    give(&pool, "a");
    V3OpenSession* b = give(&pool, "b");
    V3OpenSession* c = give(&pool, "c");
    EXPECT_EQ(pool.size(), 2u);
    EXPECT_EQ(pool.take("a"), nullptr);
    EXPECT_EQ(pool.take("c").get(), c);
    EXPECT_EQ(pool.take("c"), nullptr);  // one thread at a time
    EXPECT_EQ(pool.take("b").get(), b);
}

TEST(V3SessionPool, IdleSessionsAreClosed) {
    V3SessionPool pool(4, std::chrono::milliseconds(0));
    give(&pool, "a");
    EXPECT_EQ(pool.take("a"), nullptr);
    EXPECT_EQ(pool.size(), 0u);
}

TEST(V3SessionPool, KeysTellEveryCredentialApart) {
    V3Engine engine;
    engine.id = {0x80, 0x00, 0x1f, 0x88, 0x04};
    auto target = make_user_target("127.0.0.1", 16100, "pmsuser");
    std::string first;
    ASSERT_EQ(pms_v3_pool_key(target.get(), "127.0.0.1:16100", engine, &first), PMC_S_OK);
    void* view = nullptr;
    target->query_interface(PMS_IID_V3_TARGET, &view);
    static_cast<IPmsV3Target*>(view)->set_priv_pass_phrase("another phrase");
    std::string second;
    ASSERT_EQ(pms_v3_pool_key(target.get(), "127.0.0.1:16100", engine, &second), PMC_S_OK);
    EXPECT_NE(first, second);
    engine.id.push_back(0x01);
    std::string third;
    ASSERT_EQ(pms_v3_pool_key(target.get(), "127.0.0.1:16100", engine, &third), PMC_S_OK);
    EXPECT_NE(second, third);
}

}  // namespace
