#include "host_spec.h"

#include <gtest/gtest.h>

namespace {

TEST(HostSpec, NumericFormsAndPorts) {
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
        pmtool::HostSpec spec;
        std::string error;
        ASSERT_TRUE(pmtool::parse_host(c.text, 161, &spec, &error)) << c.text << ": " << error;
        EXPECT_EQ(spec.address, c.address) << c.text;
        EXPECT_EQ(spec.kind, c.kind) << c.text;
        EXPECT_EQ(spec.port, c.port) << c.text;
    }
}

TEST(HostSpec, Display) {
    pmtool::HostSpec spec;
    std::string error;
    ASSERT_TRUE(pmtool::parse_host("::1", 1161, &spec, &error));
    EXPECT_EQ(spec.display(), "[::1]:1161");
    ASSERT_TRUE(pmtool::parse_host("127.0.0.1", 1161, &spec, &error));
    EXPECT_EQ(spec.display(), "127.0.0.1:1161");
}

// Refused without a name lookup: none of these can be a host name.
TEST(HostSpec, BadTextIsRefusedWithAReason) {
    for (const char* text : {"", "no such host", "printer_1", "1.2.3.999", "[::1", "[::1]x", "[::1]:",
                             "127.0.0.1:0", "127.0.0.1:65536", "127.0.0.1:http", "-printer", "a..b",
                             "1:2:3:zz"}) {
        pmtool::HostSpec spec;
        std::string error;
        EXPECT_FALSE(pmtool::parse_host(text, 161, &spec, &error)) << text;
        EXPECT_FALSE(error.empty()) << text;
        EXPECT_EQ(error.find('\n'), std::string::npos);
    }
}

TEST(HostSpec, HostNameSyntax) {
    EXPECT_TRUE(pmtool::is_host_name("printer"));
    EXPECT_TRUE(pmtool::is_host_name("printer-2.example.org"));
    EXPECT_TRUE(pmtool::is_host_name("printer.example.org."));
    EXPECT_FALSE(pmtool::is_host_name("10.0.0.256"));
    EXPECT_FALSE(pmtool::is_host_name("printer-.example"));
    EXPECT_FALSE(pmtool::is_host_name(std::string(64, 'a')));
}

}  // namespace
