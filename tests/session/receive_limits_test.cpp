// What the session takes from the wire and what it discards: integers that
// do not fit their kind, answers up to the largest datagram, and sockets
// numbered above select's limit. Hand-made answers from the test agent.
#include <sys/select.h>

#include <string>

#include <gtest/gtest.h>

#include "session/session_dispatcher.h"
#include "session/session_test_support.h"
#include "support/descriptor_hoard.h"
#include "support/test_agent.h"

using namespace session_test;
using pmc_test::TestAgent;

namespace {

constexpr pmc_long kShortTimeoutMs = 200;

// A GetRequest for name; its status, the answer left in *pdu.
pmc_long get(unsigned short port, const std::string& name, pmc::Owned<IPmsPdu>* pdu,
             pmc_long timeout_ms = 2000) {
    *pdu = make_pdu(PMS_PDU_GET, {name});
    pmc::Owned<IPmsSnmpTarget> target = make_target("127.0.0.1", port, PMS_VERSION_2C, timeout_ms);
    pmc_long status = PMC_S_OK;
    pmc::Owned<SessionDispatcher> dispatcher(create_session_dispatcher(&status));
    return dispatcher ? dispatcher->send_sync(pdu->get(), target.get()) : status;
}

struct WireCase {
    const char* wire;  // tag and contents
    const char* text;  // the value read, or null: the answer is discarded
};

}  // namespace

TEST(ReceiveLimits, IntegersMustFitTheirKindWhateverThePadding) {
    const WireCase cases[] = {
        {"02 00 00 00 00 00 00 00 05", "5"},
        {"02 FF FF FF FF FF FB", "-5"},
        {"02 01 00 00 00 00 00 00 05", nullptr},
        {"41 00 00 FF FF FF FF", "4294967295"},
        {"41 01 00 00 00 00", nullptr},
        {"42 00 00 00 00 00 00 00 00 07", "7"},
        {"42 FF FF FF FF FF", nullptr},
        {"43 00 80 00 00 00", "2147483648"},
        {"43 00 00 01 00 00 00 00", nullptr},
        {"46 00 00 FF FF FF FF FF FF FF FF", "18446744073709551615"},
        {"46 00 00 00 01 00 00 00 00 00 00 00 07", nullptr},
    };
    std::string table;
    for (std::size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        table += (i > 0 ? ", \"1.3.6.1.4.1.99." : "\"1.3.6.1.4.1.99.") + std::to_string(i) + "\": [\"wire\", \"" +
                 cases[i].wire + "\"]";
    }
    TestAgent agent("{\"table\": {" + table + "}}");
    ASSERT_TRUE(agent.running()) << agent.error();
    LogCapture& log = LogCapture::instance();
    for (std::size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        const WireCase& c = cases[i];
        log.clear();
        pmc::Owned<IPmsPdu> pdu;
        const pmc_long status = get(agent.port(), "1.3.6.1.4.1.99." + std::to_string(i), &pdu, kShortTimeoutMs);
        if (c.text != nullptr) {
            ASSERT_EQ(status, PMC_S_OK) << c.wire;
            EXPECT_EQ(text_of(value_at(pdu.get(), 0)), c.text) << c.wire;
        } else {
            // Discarded like any undecodable datagram: the wait runs out.
            EXPECT_EQ(status, PMC_E_TIMEOUT) << c.wire;
            EXPECT_EQ(log.count("value: does not fit"), 1) << c.wire;
        }
    }
}

TEST(ReceiveLimits, ASixOctetRequestIdMatchesOnlyWhenItIsPadding) {
    const struct {
        const char* prefix;
        pmc_long status;
    } cases[] = {{"0000", PMC_S_OK}, {"0001", PMC_E_TIMEOUT}};
    for (const auto& c : cases) {
        TestAgent agent(std::string(R"({"table": {"1.3.6.1.2.1.1.5.0": ["octets", "lp"]}, "request_id_prefix": ")") +
                        c.prefix + "\"}");
        ASSERT_TRUE(agent.running()) << agent.error();
        LogCapture::instance().clear();
        pmc::Owned<IPmsPdu> pdu;
        EXPECT_EQ(get(agent.port(), "1.3.6.1.2.1.1.5.0", &pdu, kShortTimeoutMs), c.status) << c.prefix;
        EXPECT_EQ(LogCapture::instance().count("request id: does not fit 32 bits."), c.status == PMC_S_OK ? 0 : 1);
    }
}

TEST(ReceiveLimits, AnswersBeyond2048OctetsAreReadWhole) {
    const std::size_t sizes[] = {3000, 60000};
    TestAgent agent(R"({"table": {"1.3.6.1.4.1.99.1": ["octets", ")" + std::string(sizes[0], 'a') +
                    R"("], "1.3.6.1.4.1.99.2": ["octets", ")" + std::string(sizes[1], 'b') + R"("]}})");
    ASSERT_TRUE(agent.running()) << agent.error();
    for (int i = 0; i < 2; ++i) {
        pmc::Owned<IPmsPdu> pdu;
        ASSERT_EQ(get(agent.port(), "1.3.6.1.4.1.99." + std::to_string(i + 1), &pdu), PMC_S_OK) << sizes[i];
        pmc_ulong length = 0;
        const unsigned char* octets = value_at(pdu.get(), 0)->get_bytes(&length, nullptr);
        ASSERT_EQ(length, sizes[i]);
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(octets), length), std::string(sizes[i], "ab"[i]));
    }
}

TEST(ReceiveLimits, ASocketAboveSelectsLimitStillWaits) {
    TestAgent agent(R"({"table": {"1.3.6.1.2.1.1.5.0": ["octets", "lp-1100"]}})");
    ASSERT_TRUE(agent.running()) << agent.error();
    pmc_test::DescriptorHoard hoard(1100);
    if (!hoard.ready()) GTEST_SKIP() << hoard.error();
    ASSERT_GE(hoard.highest(), FD_SETSIZE);
    pmc::Owned<IPmsPdu> pdu;
    ASSERT_EQ(get(agent.port(), "1.3.6.1.2.1.1.5.0", &pdu), PMC_S_OK);
    EXPECT_EQ(text_of(value_at(pdu.get(), 0)), "lp-1100");
}
