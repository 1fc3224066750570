// Multicast joins, only inside a network namespace of the test's own: a
// join sends a membership report, which must not reach a real network.
#include "net/datagram_socket.h"
#include "support/private_network.h"

#include <pmsnmp/owned.h>

#include <gtest/gtest.h>
#include <net/if.h>
#include <net/route.h>
#include <netinet/in.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <arpa/inet.h>
#include <cstring>

namespace {

using Socket = pmc::Owned<DataGramSocket>;

constexpr int kSetupFailed = pmc_test::kPrivateNetworkSetupFailed;

// Multicast routes through lo, so that a join on "any interface" finds one.
bool route_multicast_to_loopback() {
    const int fd4 = ::socket(AF_INET, SOCK_DGRAM, 0);
    if (fd4 < 0) return false;
    rtentry route{};
    auto* dst = reinterpret_cast<sockaddr_in*>(&route.rt_dst);
    dst->sin_family = AF_INET;
    dst->sin_addr.s_addr = inet_addr("224.0.0.0");
    auto* mask = reinterpret_cast<sockaddr_in*>(&route.rt_genmask);
    mask->sin_family = AF_INET;
    mask->sin_addr.s_addr = inet_addr("240.0.0.0");
    route.rt_flags = RTF_UP;
    char device[] = "lo";
    route.rt_dev = device;
    bool ok = ::ioctl(fd4, SIOCADDRT, &route) == 0;
    ::close(fd4);

    const int fd6 = ::socket(AF_INET6, SOCK_DGRAM, 0);
    if (fd6 < 0) return false;
    in6_rtmsg route6{};
    inet_pton(AF_INET6, "ff00::", &route6.rtmsg_dst);
    route6.rtmsg_dst_len = 8;
    route6.rtmsg_flags = RTF_UP;
    route6.rtmsg_metric = 1;
    route6.rtmsg_ifindex = static_cast<int>(if_nametoindex("lo"));
    ok = ok && ::ioctl(fd6, SIOCADDRT, &route6) == 0;
    ::close(fd6);
    return ok;
}

// Runs in the forked child; the exit code carries the result.
int join_in_private_namespace() {
    if (!pmc_test::bring_loopback_up() || !route_multicast_to_loopback()) return kSetupFailed;
    int failures = 0;
    DataGramSocket* raw = nullptr;
    if (pmc_create_datagram_socket(PMC_ADDRESS_IPV4, 0, &raw) != PMC_S_OK) return 1;
    Socket v4(raw);
    if (v4->join_multicast("239.1.2.3") != PMC_S_OK) failures |= 2;
    // Not a group: the system refuses it.
    if (v4->join_multicast("10.0.0.1") != PMC_E_FAIL) failures |= 4;
    if (pmc_create_datagram_socket(PMC_ADDRESS_IPV6, 0, &raw) != PMC_S_OK) return 8;
    Socket v6(raw);
    if (v6->join_multicast("ff02::1") != PMC_S_OK) failures |= 16;
    if (v6->join_multicast("ff02:1") != PMC_E_INVALID_ARG) failures |= 32;
    return failures;
}

TEST(MulticastNamespace, JoinsGroupsOnBothFamilies) {
    const int code = pmc_test::run_in_private_network(join_in_private_namespace);
    if (code == pmc_test::kNoPrivateNetwork) GTEST_SKIP() << "no private network namespace allowed here";
    EXPECT_NE(code, kSetupFailed) << "could not prepare the namespace's loopback";
    EXPECT_EQ(code, 0) << "failure bits " << code;
}

}  // namespace
