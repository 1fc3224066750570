#include "printer/endpoint.h"

#include <gtest/gtest.h>

namespace {

TEST(Endpoint, NumericFormsAndPorts) {
    const struct {
        const char* text;
        const char* address;
        pmc_long kind;
        unsigned short port;
    } cases[] = {
        {"127.0.0.1", "127.0.0.1", PMC_ADDRESS_IPV4, 161},
        {"127.0.0.1:1161", "127.0.0.1", PMC_ADDRESS_IPV4, 1161},
        {"[::1]:1161", "::1", PMC_ADDRESS_IPV6, 1161},
        {"[::1]", "::1", PMC_ADDRESS_IPV6, 161},
        {"::1", "::1", PMC_ADDRESS_IPV6, 161},
        {"[0:0:0:0:0:0:0:1]:65535", "::1", PMC_ADDRESS_IPV6, 65535},
        {"localhost:2000", "127.0.0.1", PMC_ADDRESS_IPV4, 2000},
    };
    for (const auto& c : cases) {
        pmtool::Endpoint endpoint;
        std::string error;
        ASSERT_TRUE(pmtool::parse_host(c.text, 161, &endpoint, &error)) << c.text << ": " << error;
        EXPECT_EQ(endpoint.address, c.address) << c.text;
        EXPECT_EQ(endpoint.kind, c.kind) << c.text;
        EXPECT_EQ(endpoint.port, c.port) << c.text;
    }
}

TEST(Endpoint, Display) {
    pmtool::Endpoint endpoint;
    std::string error;
    ASSERT_TRUE(pmtool::parse_host("::1", 1161, &endpoint, &error));
    EXPECT_EQ(endpoint.display(), "[::1]:1161");
    ASSERT_TRUE(pmtool::parse_host("127.0.0.1", 1161, &endpoint, &error));
    EXPECT_EQ(endpoint.display(), "127.0.0.1:1161");
}

// Refused without a name lookup: none of these can be a host name.
TEST(Endpoint, BadTextIsRefusedWithAReason) {
    for (const char* text : {"", "no such host", "printer_1", "1.2.3.999", "[::1", "[::1]x", "[::1]:",
                             "127.0.0.1:0", "127.0.0.1:65536", "127.0.0.1:http", "-printer", "a..b",
                             "1:2:3:zz"}) {
        pmtool::Endpoint endpoint;
        std::string error;
        EXPECT_FALSE(pmtool::parse_host(text, 161, &endpoint, &error)) << text;
        EXPECT_FALSE(error.empty()) << text;
        EXPECT_EQ(error.find('\n'), std::string::npos);
    }
}

TEST(Endpoint, HostNameSyntax) {
    EXPECT_TRUE(pmtool::is_host_name("printer"));
    EXPECT_TRUE(pmtool::is_host_name("printer-2.example.org"));
    EXPECT_TRUE(pmtool::is_host_name("printer.example.org."));
    EXPECT_FALSE(pmtool::is_host_name("10.0.0.256"));
    EXPECT_FALSE(pmtool::is_host_name("printer-.example"));
    EXPECT_FALSE(pmtool::is_host_name(std::string(64, 'a')));
}

}  // namespace
