// The sender of a datagram from another loopback address. Under Wine a
// socket bound to 127.0.0.2 still sends from 127.0.0.1 (Wine binds
// interface addresses as the any address), so this runs on Linux only.
#include "net/datagram_socket.h"

#include <pmsnmp/owned.h>

#include <gtest/gtest.h>

#include "support/loopback_socket.h"

namespace {

using Socket = pmc::Owned<DataGramSocket>;
using Address = pmc::Owned<CPmcNetworkAddress>;

TEST(DatagramSocket, ReportsASenderOtherThanTheLoopbackAddress) {
    DataGramSocket* opened = nullptr;
    ASSERT_EQ(pmc_create_datagram_socket(PMC_ADDRESS_IPV4, 0, &opened), PMC_S_OK);
    Socket receiver(opened);
    ASSERT_TRUE(receiver);
    pmc_test::LoopbackSocket peer(AF_INET);
    ASSERT_TRUE(peer.bind_ipv4("127.0.0.2", 0));
    ASSERT_TRUE(peer.send_to(static_cast<unsigned short>(receiver->get_local_address()->get_port()), "x"));

    // The datagram is already queued, so waiting without limit returns.
    char buffer[8];
    pmc_long received = 0;
    CPmcNetworkAddress* raw = nullptr;
    ASSERT_EQ(receiver->receive(buffer, sizeof buffer, -1, &received, &raw), PMC_S_OK);
    Address source(raw);
    EXPECT_STREQ(source->get_text(), "127.0.0.2");
    EXPECT_EQ(source->get_port(), peer.local_port());
    EXPECT_EQ(received, 1);
}

}  // namespace
