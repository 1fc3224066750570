// SNMPv3 from a socket numbered above select's limit, made by holding Linux
// file descriptors open under a raised limit: Linux only.
#include <sys/select.h>

#include <gtest/gtest.h>

#include <pmsnmp/pmsnmp.h>

#include "api/v3_support.h"
#include "support/descriptor_hoard.h"

namespace {

using namespace api_test;

TEST_F(V3Test, SocketsNumberedAboveFdSetSizeAreServed) {
    pmc_test::DescriptorHoard hoard(FD_SETSIZE + 8);
    if (!hoard.ready()) GTEST_SKIP() << hoard.error();
    auto object = open_v3(agent->port(), kShaAes);
    ASSERT_EQ(object->add_get_variable(kSysName, true), PMC_S_OK);
    char name[64];
    ASSERT_EQ(object->get_string(name), PMC_S_OK);
    EXPECT_STREQ(name, "pmsnmp-agent");
}

}  // namespace
