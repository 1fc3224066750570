// The order of discovered addresses.
#include "commands/discovery.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace pmtool {
namespace {

TEST(Discovery, AddressesSortNumericallyIpv4First) {
    std::vector<std::string> addresses = {"::1", "127.0.0.10", "zz", "127.0.0.9", "10.0.0.1"};
    std::sort(addresses.begin(), addresses.end(), address_before);
    EXPECT_EQ(addresses, (std::vector<std::string>{"10.0.0.1", "127.0.0.9", "127.0.0.10", "::1", "zz"}));
}

}  // namespace
}  // namespace pmtool
