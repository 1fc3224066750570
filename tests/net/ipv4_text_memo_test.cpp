// The per-thread memo of IPv4 conversions: same answers as the functions it
// stands before, calls skipped only for answers it holds.
#include "net/ipv4_text_memo.h"

#include <gtest/gtest.h>
#include "support/loopback_socket.h"

#include <string>
#include <thread>

namespace {

int g_text_calls = 0;

char* PMC_SOCKET_CALL counted_ntoa(in_addr address) {
    ++g_text_calls;
    return inet_ntoa(address);
}
// Another function answering the same inputs differently.
char* PMC_SOCKET_CALL other_ntoa(in_addr) {
    static char text[] = "other";
    return text;
}
char* PMC_SOCKET_CALL no_text(in_addr) { return nullptr; }
char* PMC_SOCKET_CALL long_text(in_addr) {
    static char text[] = "a text longer than any address";
    return text;
}

in_addr make(const char* text) {
    in_addr address{};
    address.s_addr = inet_addr(text);
    return address;
}

TEST(Ipv4TextMemo, TextsAreTheLibrarysAndRepeatsSkipTheCall) {
    PmcIpv4TextMemo memo;
    g_text_calls = 0;
    const char* const texts[] = {"127.0.0.1", "0.0.0.0", "10.1.2.3", "255.255.255.255",
                                 "192.168.100.200"};
    for (int round = 0; round < 3; ++round) {
        for (const char* text : texts) {
            EXPECT_STREQ(memo.text(counted_ntoa, make(text)), text);
        }
    }
    // Five addresses through four entries: every look-up misses in turn.
    EXPECT_EQ(g_text_calls, 15);
    g_text_calls = 0;
    for (int round = 0; round < 3; ++round) {
        EXPECT_STREQ(memo.text(counted_ntoa, make("127.0.0.1")), "127.0.0.1");
        EXPECT_STREQ(memo.text(counted_ntoa, make("0.0.0.0")), "0.0.0.0");
    }
    EXPECT_EQ(g_text_calls, 2);
}

TEST(Ipv4TextMemo, KeysOnTheFunctionAndKeepsNoFailures) {
    PmcIpv4TextMemo memo;
    const in_addr address = make("127.0.0.1");
    EXPECT_STREQ(memo.text(counted_ntoa, address), "127.0.0.1");
    EXPECT_STREQ(memo.text(other_ntoa, address), "other");
    EXPECT_STREQ(memo.text(counted_ntoa, address), "127.0.0.1");
    EXPECT_EQ(memo.text(no_text, address), nullptr);
    EXPECT_EQ(memo.text(no_text, address), nullptr);
    EXPECT_STREQ(memo.text(long_text, address), "a text longer than any address");
}

TEST(Ipv4TextMemo, EachThreadHasItsOwn) {
    PmcIpv4TextMemo* here = &PmcIpv4TextMemo::local();
    PmcIpv4TextMemo* there = nullptr;
    std::thread other([&there] { there = &PmcIpv4TextMemo::local(); });
    other.join();
    EXPECT_NE(here, there);
    EXPECT_EQ(here, &PmcIpv4TextMemo::local());
}

}  // namespace
