// A socket numbered above select's limit, made by holding Linux file
// descriptors open under a raised limit: Linux only.
#include <sys/select.h>

#include <string>

#include <gtest/gtest.h>

#include "session/session_test_support.h"
#include "support/descriptor_hoard.h"
#include "support/test_agent.h"

using namespace session_test;
using pmc_test::TestAgent;

TEST(ReceiveLimits, ASocketAboveSelectsLimitStillWaits) {
    TestAgent agent(R"({"table": {"1.3.6.1.2.1.1.5.0": ["octets", "lp-1100"]}})");
    ASSERT_TRUE(agent.running()) << agent.error();
    pmc_test::DescriptorHoard hoard(1100);
    if (!hoard.ready()) GTEST_SKIP() << hoard.error();
    ASSERT_GE(hoard.highest(), FD_SETSIZE);
    pmc::Owned<IPmsPdu> pdu;
    ASSERT_EQ(get_from_agent(agent.port(), "1.3.6.1.2.1.1.5.0", &pdu), PMC_S_OK);
    EXPECT_EQ(text_of(value_at(pdu.get(), 0)), "lp-1100");
}
