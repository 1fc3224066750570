// The socket loader against Windows' own libraries (Wine's, here).
#include <gtest/gtest.h>

// Winsock 2 (through socket_api.h) must come before windows.h.
#include "net/datagram_socket.h"
#include "net/network_address.h"
#include "net/socket_api.h"

#include <windows.h>

#include <cstring>

#include <pmsnmp/owned.h>

namespace {

constexpr int kCloseIndex = 17;
constexpr DWORD kProcNotFound = 127;  // ERROR_PROC_NOT_FOUND
constexpr pmc_long kWaitMs = 2000;
constexpr pmc_long kShortWaitMs = 50;

TEST(SocketLibraryWindows, LoadsWinsock2WithEveryEntry) {
    NPmcSocketAPI::StartupScope scope;
    ASSERT_EQ(scope.status(), PMC_S_OK);
    EXPECT_STREQ(NPmcSocketAPI::entry_name(kCloseIndex), "closesocket");
    EXPECT_STREQ(NPmcSocketAPI::entry_name(NPmcSocketAPI::kPollIndex), "WSAPoll");
    EXPECT_TRUE(NPmcSocketAPI::has_protocol_independent_api());
    EXPECT_TRUE(NPmcSocketAPI::has_poll());
    // The entries are ws2_32's own, not stand-ins.
    HMODULE ws2 = GetModuleHandleA("ws2_32.dll");
    ASSERT_NE(ws2, nullptr);
    EXPECT_EQ(reinterpret_cast<void*>(NPmcSocketAPI::table().WSAGetLastError),
              reinterpret_cast<void*>(GetProcAddress(ws2, "WSAGetLastError")));
}

struct Loopback {
    pmc_long kind;
    const char* address;
};

class DatagramLoopback : public ::testing::TestWithParam<Loopback> {};

TEST_P(DatagramLoopback, DatagramArrivesWithItsSender) {
    DataGramSocket* raw = nullptr;
    ASSERT_EQ(pmc_create_datagram_socket(GetParam().kind, 0, &raw), PMC_S_OK);
    pmc::Owned<DataGramSocket> sender(raw);
    ASSERT_EQ(pmc_create_datagram_socket(GetParam().kind, 0, &raw), PMC_S_OK);
    pmc::Owned<DataGramSocket> receiver(raw);

    pmc_long status = PMC_E_FAIL;
    pmc::Owned<CPmcNetworkAddress> to(pmc_create_network_address_from_text(
        GetParam().address, receiver->get_local_address()->get_port(), &status));
    ASSERT_EQ(status, PMC_S_OK);
    const char message[] = "\x30\x03\x02\x01\x00";
    ASSERT_EQ(sender->send(message, sizeof message - 1, to.get()), PMC_S_OK);

    char buffer[64] = {};
    pmc_long received = 0;
    CPmcNetworkAddress* from_raw = nullptr;
    ASSERT_EQ(receiver->receive(buffer, sizeof buffer, kWaitMs, &received, &from_raw), PMC_S_OK);
    pmc::Owned<CPmcNetworkAddress> from(from_raw);
    ASSERT_EQ(received, static_cast<pmc_long>(sizeof message - 1));
    EXPECT_EQ(std::memcmp(buffer, message, sizeof message - 1), 0);
    EXPECT_EQ(from->get_port(), sender->get_local_address()->get_port());

    EXPECT_EQ(receiver->receive(buffer, sizeof buffer, kShortWaitMs, &received, &from_raw),
              PMC_E_TIMEOUT);
}

INSTANTIATE_TEST_SUITE_P(Families, DatagramLoopback,
                         ::testing::Values(Loopback{PMC_ADDRESS_IPV4, "127.0.0.1"},
                                           Loopback{PMC_ADDRESS_IPV6, "::1"}));

// Winsock 1.1 lacks the protocol-independent functions: the lookup fails
// with "procedure not found", which only marks them absent.
TEST(SocketLibraryWindows, Winsock11LacksTheProtocolIndependentFunctions) {
    HMODULE wsock32 = LoadLibraryA("wsock32.dll");
    ASSERT_NE(wsock32, nullptr);
    ASSERT_EQ(GetProcAddress(wsock32, "getaddrinfo"), nullptr);
    EXPECT_EQ(GetLastError(), kProcNotFound);
    ASSERT_EQ(NPmcSocketAPI::load(), PMC_S_OK);
    ASSERT_EQ(NPmcSocketAPI::set_api(wsock32), PMC_S_OK);
    EXPECT_FALSE(NPmcSocketAPI::has_protocol_independent_api());
    {
        NPmcSocketAPI::StartupScope scope(NPmcSocketAPI::StartupScope::V11);
        EXPECT_EQ(scope.status(), PMC_S_OK);
    }
    // Back to Winsock 2 for the tests that follow; wsock32 stays loaded, as
    // Wine cannot bind again after a socket library has been unloaded.
    ASSERT_EQ(NPmcSocketAPI::set_api(GetModuleHandleA("ws2_32.dll")), PMC_S_OK);
    EXPECT_TRUE(NPmcSocketAPI::has_protocol_independent_api());
}

}  // namespace
