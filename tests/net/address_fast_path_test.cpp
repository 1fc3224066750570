// The resolver's inet_pton fast path against the numeric system lookup it
// stands in for: same kind, same canonical text, same refusals (IPv6 texts;
// IPv4 texts the resolver reads itself).
#include "net/address_resolver.h"
#include "net/socket_api.h"

#include <pmsnmp/owned.h>

#include <gtest/gtest.h>

#include "support/loopback_socket.h"

#include <string>
#include <vector>

namespace {

// What the lookup alone says of a text: the family (AF_UNSPEC when it
// refuses) and the canonical text.
struct Reference {
    int family = AF_UNSPEC;
    std::string canonical;
};

Reference look_up(const std::string& text) {
    Reference reference;
    addrinfo hints{};
    hints.ai_flags = AI_PASSIVE | AI_NUMERICHOST;
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_DGRAM;
    addrinfo* list = nullptr;
    if (!pmc_test::start_sockets()) return reference;
    if (::getaddrinfo(text.c_str(), nullptr, &hints, &list) != 0 || list == nullptr) return reference;
    reference.family = list->ai_family;
    char host[NI_MAXHOST];
    if (::getnameinfo(list->ai_addr, list->ai_addrlen, host, sizeof host, nullptr, 0,
                      NI_NUMERICHOST) == 0) {
        reference.canonical = host;
    }
    ::freeaddrinfo(list);
    return reference;
}

std::vector<std::string> texts() {
    std::vector<std::string> all = {
        "", " ", "1", "1.2", "1.2.3", "1.2.3.4", "1.2.3.4 ", " 1.2.3.4", "1.2.3.4.", ".1.2.3.4",
        "1.2.3.4.5", "010.1.2.3", "0x7f.0.0.1", "127.0.0.1", "127.1", "255.255.255.255",
        "256.1.1.1", "4294967295", "4294967296", "0", "00", "0.0.0.0", "1..2.3", "1.2.3.-4",
        "+1.2.3.4", "1.2.3.4/24", "1.2.3.4:161", "localhost", "printer.example", "abc",
        "::", "::1", "::ffff:1.2.3.4", "::FFFF:1.2.3.4", "::1.2.3.4", "fe80::1", "fe80::1%lo",
        "fe80::1%1", "FE80::ABCD", "2001:db8::1", "2001:DB8:0:0:0:0:0:1", "2001:0db8::0001",
        "1:2:3:4:5:6:7:8", "1:2:3:4:5:6:7:8:9", "1:2:3:4:5:6:7", "1::2::3", ":::", "::1 ",
        "[::1]", "12345::", "g::1", "::ffff:256.1.2.3", "::ffff:1.2.3", "1:2:3:4:5:6:1.2.3.4",
        "0:0:0:0:0:0:0:0", "0000:0000:0000:0000:0000:0000:0000:0000", "ff02::1", "ff02::1%lo",
        "12345678:123456789abc", "0000000a:0000000000bb", "1.2.3.4\t", "1.2.3.4\n"};
    // Every way of joining a few awkward parts into one to four pieces.
    const char* const parts[] = {"0", "1", "01", "09", "255", "256", "0x1", "00", ""};
    for (const char* a : parts) {
        all.emplace_back(a);
        for (const char* b : parts) {
            all.push_back(std::string(a) + "." + b);
            for (const char* c : parts) {
                all.push_back(std::string(a) + "." + b + "." + c + ".1");
                all.push_back(std::string("1.") + a + "." + b + "." + c);
            }
        }
    }
    return all;
}

TEST(AddressFastPath, AgreesWithTheNumericLookup) {
    ASSERT_EQ(NPmcSocketAPI::load(), PMC_S_OK);
    ASSERT_TRUE(NPmcSocketAPI::has_protocol_independent_api());
    CPmcAddressResolverV6 resolver;
    int fast = 0;
    for (const std::string& text : texts()) {
        const Reference reference = look_up(text);
        pmc_long kind = PMC_ADDRESS_NONE;
        if (pmc_plain_ip_kind(text.c_str(), &kind)) {
            ++fast;
            EXPECT_EQ(kind, pmc_kind_from_family(reference.family)) << '"' << text << '"';
            char canonical[NI_MAXHOST];
            ASSERT_TRUE(pmc_plain_ip_canonical(text.c_str(), canonical, sizeof canonical)) << text;
            EXPECT_EQ(canonical, reference.canonical) << '"' << text << '"';
        }
        if (pmc_is_ipx_text(text.c_str())) continue;
        // IPv4 texts are read as dotted decimal, not as the lookup reads them.
        if (text.find(':') == std::string::npos) continue;
        kind = PMC_ADDRESS_NONE;
        const pmc_long status = resolver.classify(text.c_str(), &kind);
        if (reference.family == AF_UNSPEC) {
            EXPECT_EQ(status, PMC_E_FAIL) << '"' << text << '"';
            EXPECT_EQ(kind, PMC_ADDRESS_NONE) << '"' << text << '"';
        } else {
            EXPECT_EQ(status, PMC_S_OK) << '"' << text << '"';
            EXPECT_EQ(kind, pmc_kind_from_family(reference.family)) << '"' << text << '"';
        }
        IPmcByteString* raw = nullptr;
        const pmc_long canonical_status = resolver.canonical_text(text.c_str(), &raw);
        pmc::Owned<IPmcByteString> canonical(raw);
        if (reference.family == AF_UNSPEC) {
            EXPECT_EQ(canonical_status, PMC_E_FAIL) << '"' << text << '"';
        } else {
            ASSERT_EQ(canonical_status, PMC_S_OK) << '"' << text << '"';
            EXPECT_EQ(std::string(reinterpret_cast<const char*>(canonical->get_data()),
                                  canonical->get_length()),
                      reference.canonical)
                << '"' << text << '"';
        }
    }
    // The table must exercise both paths.
    EXPECT_GT(fast, 20);
}

TEST(AddressFastPath, RefusesWithoutTextOrRoom) {
    pmc_long kind = PMC_ADDRESS_IPX;
    EXPECT_FALSE(pmc_plain_ip_kind(nullptr, &kind));
    EXPECT_FALSE(pmc_plain_ip_kind("1.2.3.4", nullptr));
    EXPECT_EQ(kind, PMC_ADDRESS_IPX);
    char small[4];
    EXPECT_FALSE(pmc_plain_ip_canonical("10.20.30.40", small, sizeof small));
    EXPECT_FALSE(pmc_plain_ip_canonical("1.2.3.4", nullptr, 16));
}

}  // namespace
