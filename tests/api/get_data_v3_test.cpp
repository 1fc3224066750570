// The facade over SNMPv3 against a real snmpd with users of the project's
// own (tests/support/snmpd_v3.conf), checked against Net-SNMP's tools.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

#include <pmsnmp/pmsnmp.h>

#include "api/snmpd_walk.h"
#include "support/snmpd_fixture.h"

namespace {

using pmstest::SnmpdFixture;

constexpr pmc_long kTimeoutMs = 2000;
constexpr pmc_long kRetries = 1;
const char* const kSystem = "1.3.6.1.2.1.1";
const char* const kSysName = "1.3.6.1.2.1.1.5";
const char* const kIfNumber = "1.3.6.1.2.1.2.1";

struct User {
    const char* name;
    pmc_long level;
    pmc_long auth;
    pmc_long priv;
    const char* auth_phrase;
    const char* priv_phrase;
};

const User kNoAuth{"pmsnoauth", PMS_SEC_NO_AUTH_NO_PRIV, 0, 0, "", ""};
const User kMd5Des{"pmsmd5des", PMS_SEC_AUTH_PRIV, PMS_AUTH_MD5, PMS_PRIV_DES, "pmsmd5pass",
                   "pmsdespass"};
const User kShaAes{"pmsshaaes", PMS_SEC_AUTH_PRIV, PMS_AUTH_SHA, PMS_PRIV_AES, "pmsshapass",
                   "pmsaespass"};
const User kShaAuth{"pmsshaauth", PMS_SEC_AUTH_NO_PRIV, PMS_AUTH_SHA, 0, "pmsauthonly", ""};

SnmpdFixture* v3_agent(std::string* error) {
    static std::unique_ptr<SnmpdFixture> agent;
    static std::string failure;
    if (!agent) {
        agent = std::make_unique<SnmpdFixture>("snmpd_v3.conf");
        if (!agent->start(&failure)) agent->stop();
    }
    *error = failure;
    return agent->running() ? agent.get() : nullptr;
}

pmc::Owned<IPmcGetData> open_v3(unsigned short port, const User& user,
                                const char* address = "127.0.0.1",
                                pmc_long kind = PMC_ADDRESS_IPV4, pmc_long retries = kRetries,
                                pmc_long timeout_ms = kTimeoutMs) {
    pmc::Owned<IPmcGetData> object(pmc_create_get_data(nullptr));
    EXPECT_EQ(object->open(address, kind, port, PMS_VERSION_3, user.name, user.level, user.auth,
                           user.priv, user.auth_phrase, user.priv_phrase, nullptr, timeout_ms,
                           retries, 0),
              PMC_S_OK);
    return object;
}

struct V3Test : ::testing::Test {
    void SetUp() override {
        std::string error;
        agent = v3_agent(&error);
        ASSERT_NE(agent, nullptr) << error;
    }

    std::string tool_get(const std::string& oid) {
        pmstest::ToolResult result = agent->run_tool(
            {"snmpget", "-v3", "-u", kShaAes.name, "-l", "authPriv", "-a", "SHA", "-A",
             kShaAes.auth_phrase, "-x", "AES", "-X", kShaAes.priv_phrase, "-On", "-Oqv",
             agent->ipv4_peer(), oid});
        EXPECT_EQ(result.exit_code, 0) << result.out;
        while (!result.out.empty() && result.out.back() == '\n') result.out.pop_back();
        return result.out;
    }

    SnmpdFixture* agent = nullptr;
};

TEST_F(V3Test, EveryUserReadsAnIntegerAndAText) {
    const std::string expected = tool_get(std::string(kIfNumber) + ".0");
    for (const User* user : {&kNoAuth, &kMd5Des, &kShaAes, &kShaAuth}) {
        SCOPED_TRACE(user->name);
        auto object = open_v3(agent->port(), *user);
        ASSERT_EQ(object->add_get_variable(kIfNumber, true), PMC_S_OK);
        ASSERT_EQ(object->add_get_variable(kSysName, true), PMC_S_OK);
        pmc_long values[2] = {0, 0};
        ASSERT_EQ(object->get_integer_array(values, 1), PMC_S_OK);
        EXPECT_EQ(std::to_string(values[0]), expected);
        char text[64];
        ASSERT_EQ(object->get_string(text), PMC_S_OK);
        EXPECT_STREQ(text, "pmsnmp-agent");
    }
}

}  // namespace
