// The socket library loader: table filling, the protocol-independent flag,
// start-up and clean-up, against the C library and stand-in libraries.
#include "fake_socket_library.h"
#include "log/component_log.h"
#include "support/log_capture.h"

#include "net/address_resolver.h"
#include "net/socket_api.h"

#include <gtest/gtest.h>

#include <memory>
#include <thread>
#include <vector>

namespace {

template <class F>
void* as_pointer(F function) {
    return reinterpret_cast<void*>(function);
}

TEST(SocketApi, LoadsTheCLibraryWithEveryEntry) {
    ASSERT_EQ(NPmcSocketAPI::load(), PMC_S_OK);
    EXPECT_TRUE(NPmcSocketAPI::is_loaded());
    EXPECT_TRUE(NPmcSocketAPI::has_protocol_independent_api());
    EXPECT_TRUE(NPmcSocketAPI::has_poll());
    const NPmcSocketAPI::Table& t = NPmcSocketAPI::table();
    const void* entries[] = {
        as_pointer(t.WSAStartup),    as_pointer(t.WSACleanup),    as_pointer(t.WSAGetLastError),
        as_pointer(t.socket),        as_pointer(t.bind),          as_pointer(t.htons),
        as_pointer(t.ntohs),         as_pointer(t.getsockname),   as_pointer(t.gethostname),
        as_pointer(t.gethostbyname), as_pointer(t.getsockopt),    as_pointer(t.setsockopt),
        as_pointer(t.inet_addr),     as_pointer(t.inet_ntoa),     as_pointer(t.sendto),
        as_pointer(t.recvfrom),      as_pointer(t.select),        as_pointer(t.closesocket),
        as_pointer(t.gethostbyaddr), as_pointer(t.getservbyname), as_pointer(t.getaddrinfo),
        as_pointer(t.getnameinfo),   as_pointer(t.freeaddrinfo),  as_pointer(t.poll)};
    static_assert(sizeof entries / sizeof entries[0] == NPmcSocketAPI::kEntryCount, "table size");
    for (int i = 0; i < NPmcSocketAPI::kEntryCount; ++i) {
        EXPECT_NE(entries[i], nullptr) << NPmcSocketAPI::entry_name(i);
    }
    EXPECT_EQ((t.htons)(0x1234), htons(0x1234));
}

TEST(SocketApi, ConcurrentStartupsLoadOnce) {
    std::vector<pmc_long> results(8, PMC_E_FAIL);
    std::vector<std::thread> threads;
    for (pmc_long& result : results) {
        threads.emplace_back([&result] {
            result = NPmcSocketAPI::startup_v22();
            NPmcSocketAPI::cleanup();
        });
    }
    for (std::thread& thread : threads) thread.join();
    for (pmc_long result : results) EXPECT_EQ(result, PMC_S_OK);
    EXPECT_TRUE(NPmcSocketAPI::is_loaded());
}

TEST(SocketApi, NullLibraryHandleIsRefused) {
    ASSERT_EQ(NPmcSocketAPI::load(), PMC_S_OK);
    EXPECT_EQ(NPmcSocketAPI::set_api(nullptr), PMC_E_FAIL);
    // The table of the loaded library stays usable.
    EXPECT_EQ(NPmcSocketAPI::startup_v11(), PMC_S_OK);
    NPmcSocketAPI::cleanup();
}

TEST(SocketApi, StandInLibraryFillsEveryEntry) {
    FakeSocketLibrary fake(PMSNMP_FAKESOCK);
    ASSERT_EQ(fake.install(), PMC_S_OK);
    EXPECT_TRUE(NPmcSocketAPI::has_protocol_independent_api());
    const NPmcSocketAPI::Table& t = NPmcSocketAPI::table();
    EXPECT_EQ(as_pointer(t.WSAStartup), fake.symbol("WSAStartup"));
    EXPECT_EQ(as_pointer(t.select), fake.symbol("select"));
    EXPECT_EQ(as_pointer(t.closesocket), fake.symbol("close"));
    EXPECT_EQ(as_pointer(t.freeaddrinfo), fake.symbol("freeaddrinfo"));
}

TEST(SocketApi, MissingRequiredFunctionFailsWithOneLineNamingIt) {
    FakeSocketLibrary fake(PMSNMP_FAKESOCK_NO_SELECT);
    const void* old_closesocket = as_pointer(NPmcSocketAPI::table().closesocket);
    LogCapture& log = LogCapture::on(pmc_socket_log());
    log.clear();

    EXPECT_EQ(fake.install(), PMC_E_FAIL);

    const std::vector<std::string> errors = log.matching("fail GetProcAddress");
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_TRUE(log.has_line(
        "Error, [NPmcSocketAPI::set_api] fail GetProcAddress \"select\": GetLastError()=127"));
    EXPECT_TRUE(log.has_line("Trace, [NPmcSocketAPI::set_api] enter."));
    EXPECT_TRUE(log.has_line("Trace, [NPmcSocketAPI::set_api] exit."));
    // Entries before the missing one come from the new library; those after
    // it are not touched.
    const NPmcSocketAPI::Table& t = NPmcSocketAPI::table();
    EXPECT_EQ(as_pointer(t.recvfrom), fake.symbol("recvfrom"));
    EXPECT_EQ(t.select, nullptr);
    EXPECT_EQ(as_pointer(t.closesocket), old_closesocket);
    // A half-filled table is never called through.
    EXPECT_EQ(NPmcSocketAPI::startup_v11(), PMC_E_FAIL);
    NPmcSocketAPI::cleanup();
}

TEST(SocketApi, MissingGetaddrinfoClearsTheFlagOnly) {
    FakeSocketLibrary fake(PMSNMP_FAKESOCK_NO_ADDRINFO);
    const void* old_getnameinfo = as_pointer(NPmcSocketAPI::table().getnameinfo);
    LogCapture& log = LogCapture::on(pmc_socket_log());
    log.clear();

    EXPECT_EQ(fake.install(), PMC_S_OK);

    EXPECT_FALSE(NPmcSocketAPI::has_protocol_independent_api());
    EXPECT_TRUE(log.matching("fail GetProcAddress").empty());
    EXPECT_EQ(NPmcSocketAPI::table().getaddrinfo, nullptr);
    // getnameinfo is not looked up once getaddrinfo is known missing.
    EXPECT_EQ(as_pointer(NPmcSocketAPI::table().getnameinfo), old_getnameinfo);
    // Without the protocol-independent functions the IPv4-only resolver is
    // chosen: IPv6 texts are no address, IPv4 and IPX still are.
    pmc_long status = PMC_E_FAIL;
    std::unique_ptr<CPmcAddressResolver> resolver(pmc_choose_address_resolver(&status));
    ASSERT_EQ(status, PMC_S_OK);
    EXPECT_NE(dynamic_cast<CPmcAddressResolverV4*>(resolver.get()), nullptr);
    pmc_long kind = -1;
    EXPECT_EQ(resolver->classify("::1", &kind), PMC_E_UNKNOWN_ADDRESS);
    EXPECT_EQ(resolver->classify("127.0.0.1", &kind), PMC_S_OK);
    EXPECT_EQ(kind, PMC_ADDRESS_IPV4);
}

TEST(SocketApi, ResolverIsProtocolIndependentWithTheFullLibrary) {
    ASSERT_EQ(NPmcSocketAPI::load(), PMC_S_OK);
    std::unique_ptr<CPmcAddressResolver> resolver(pmc_choose_address_resolver(nullptr));
    EXPECT_NE(dynamic_cast<CPmcAddressResolverV6*>(resolver.get()), nullptr);
}

TEST(SocketApi, FailingStartupLogsAndScopeStillCleansUp) {
    FakeSocketLibrary fake(PMSNMP_FAKESOCK);
    ASSERT_EQ(fake.install(), PMC_S_OK);
    LogCapture& log = LogCapture::on(pmc_socket_log());
    log.clear();
    fake.knob("fakesock_fail_startup") = -1;
    const int cleanups = fake.knob("fakesock_cleanups");

    EXPECT_EQ(NPmcSocketAPI::startup_v11(), PMC_E_FAIL);
    EXPECT_TRUE(log.has_line("Error, fail WSAStartup(1.1). WSAGetLastError()=10055"));
    {
        NPmcSocketAPI::StartupScope scope(NPmcSocketAPI::StartupScope::V22);
        EXPECT_EQ(scope.status(), PMC_E_FAIL);
    }
    EXPECT_TRUE(log.has_line("Error, fail WSAStartup(2.2). WSAGetLastError()=10055"));
    EXPECT_EQ(fake.knob("fakesock_cleanups"), cleanups + 1);
}

TEST(SocketApi, StartupsAndCleanupsReachTheLibrary) {
    FakeSocketLibrary fake(PMSNMP_FAKESOCK);
    ASSERT_EQ(fake.install(), PMC_S_OK);
    const int startups = fake.knob("fakesock_startups");
    const int cleanups = fake.knob("fakesock_cleanups");
    {
        NPmcSocketAPI::StartupScope scope(NPmcSocketAPI::StartupScope::V11);
        EXPECT_EQ(scope.status(), PMC_S_OK);
        EXPECT_EQ(fake.knob("fakesock_cleanups"), cleanups);
    }
    EXPECT_EQ(fake.knob("fakesock_startups"), startups + 1);
    EXPECT_EQ(fake.knob("fakesock_cleanups"), cleanups + 1);
}

}  // namespace
