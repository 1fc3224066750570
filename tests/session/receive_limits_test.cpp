// What the session takes from the wire and what it discards, with answers
// made by hand in the test agent: integers beyond their kind, answers up to
// the largest datagram. A socket numbered above select's limit is in
// receive_descriptor_test.cpp.
#include <string>

#include <gtest/gtest.h>

#include "session/session_test_support.h"
#include "support/test_agent.h"

using namespace session_test;
using pmc_test::TestAgent;

TEST(ReceiveLimits, IntegersMustFitTheirKindWhateverThePadding) {
    // Tag and contents; the value read, or null when the answer is discarded.
    const char* const cases[][2] = {
        {"02 00 00 00 00 00 00 00 05", "5"}, {"02 FF FF FF FF FF FB", "-5"}, {"02 01 00 00 00 00 00 00 05", nullptr},
        {"41 00 00 FF FF FF FF", "4294967295"}, {"41 01 00 00 00 00", nullptr},
        {"42 00 00 00 00 00 00 00 00 07", "7"}, {"42 FF FF FF FF FF", nullptr},
        {"43 00 80 00 00 00", "2147483648"}, {"43 00 00 01 00 00 00 00", nullptr},
        {"46 00 00 FF FF FF FF FF FF FF FF", "18446744073709551615"},
        {"46 00 00 00 01 00 00 00 00 00 00 00 07", nullptr},
    };
    std::string table;
    for (const auto& c : cases) table += ", \"1.3.6.1.4.1.99." + std::to_string(&c - cases) + "\": [\"wire\", \"" + c[0] + "\"]";
    TestAgent agent("{\"table\": {" + table.substr(2) + "}}");
    ASSERT_TRUE(agent.running()) << agent.error();
    for (const auto& c : cases) {
        LogCapture::on(pmc_snmp_log()).clear();
        pmc::Owned<IPmsPdu> pdu;
        const pmc_long status = get_from_agent(agent.port(), "1.3.6.1.4.1.99." + std::to_string(&c - cases), &pdu, 200);
        if (c[1] != nullptr) {
            ASSERT_EQ(status, PMC_S_OK) << c[0];
            EXPECT_EQ(text_of(value_at(pdu.get(), 0)), c[1]) << c[0];
        } else {
            // Discarded like any undecodable datagram; the try ends as one
            // that only saw a malformed answer.
            EXPECT_EQ(status, PMC_E_DECODE) << c[0];
            EXPECT_EQ(LogCapture::on(pmc_snmp_log()).count("value: does not fit"), 1) << c[0];
        }
    }
}

TEST(ReceiveLimits, ErrorStatusOutOfRangeIsAMalformedAnswerNotSilence) {
    for (const long long error_status : {-1LL, 19LL, 2147483647LL}) {
        TestAgent agent(R"({"get_errors": {"1.3.6.1.2.1.1.5.0": )" + std::to_string(error_status) + "}}");
        ASSERT_TRUE(agent.running()) << agent.error();
        pmc::Owned<IPmsPdu> pdu;
        EXPECT_EQ(get_from_agent(agent.port(), "1.3.6.1.2.1.1.5.0", &pdu, 200), PMC_E_DECODE) << error_status;
    }
}

TEST(ReceiveLimits, ASixOctetRequestIdMatchesOnlyWhenItIsPadding) {
    for (const char* prefix : {"0000", "0001"}) {
        TestAgent agent(std::string(R"({"table": {"1.3.6.1.2.1.1.5.0": ["octets", "lp"]}, "request_id_prefix": ")") +
                        prefix + "\"}");
        ASSERT_TRUE(agent.running()) << agent.error();
        LogCapture::on(pmc_snmp_log()).clear();
        const bool padding = std::string(prefix) == "0000";
        pmc::Owned<IPmsPdu> pdu;
        EXPECT_EQ(get_from_agent(agent.port(), "1.3.6.1.2.1.1.5.0", &pdu, 200), padding ? PMC_S_OK : PMC_E_TIMEOUT) << prefix;
        EXPECT_EQ(LogCapture::on(pmc_snmp_log()).count("request id: does not fit 32 bits."), padding ? 0 : 1) << prefix;
    }
}

TEST(ReceiveLimits, AnswersBeyond2048OctetsAreReadWhole) {
    const std::string texts[] = {std::string(3000, 'a'), std::string(60000, 'b')};
    TestAgent agent(R"({"table": {"1.3.6.1.4.1.99.0": ["octets", ")" + texts[0] + R"("], "1.3.6.1.4.1.99.1": ["octets", ")" +
                    texts[1] + R"("]}})");
    ASSERT_TRUE(agent.running()) << agent.error();
    for (int i = 0; i < 2; ++i) {
        pmc::Owned<IPmsPdu> pdu;
        ASSERT_EQ(get_from_agent(agent.port(), "1.3.6.1.4.1.99." + std::to_string(i), &pdu), PMC_S_OK) << texts[i].size();
        EXPECT_EQ(text_of(value_at(pdu.get(), 0)), texts[i]);
    }
}
