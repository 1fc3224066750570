// The limited broadcast (255.255.255.255), sent only inside a network
// namespace of the test's own: Linux only.
#include <cstdlib>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "session/broadcast_support.h"
#include "support/private_network.h"

using namespace session_test;

namespace {

// In a namespace with only lo: a route for the limited broadcast, and a
// responder bound to the any address.
int limited_broadcast_in_private_namespace() {
    if (std::system("ip link set lo up && ip route add 255.255.255.255/32 dev lo src 127.0.0.1") != 0) return 2;
    const unsigned short port = free_udp_port();
    auto agent = responder(port, 2, "", "0.0.0.0");
    if (!agent->running()) return 3;
    const Discovery found = discover("255.255.255.255", port, 300, 0);
    if (found.status != PMC_S_OK) return 4;
    return found.senders() == std::vector<std::string>{"127.0.0.2 lp-2"} ? 0 : 5;
}

TEST(Broadcast, LimitedBroadcastInsideAPrivateNetworkNamespace) {
    const int code = pmc_test::run_in_private_network(limited_broadcast_in_private_namespace);
    if (code == pmc_test::kNoPrivateNetwork) GTEST_SKIP() << "network namespaces are refused here";
    EXPECT_EQ(code, 0);
}

}  // namespace
