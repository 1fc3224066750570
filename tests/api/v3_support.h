// The users of tests/support/snmpd_v3.conf, one snmpd with them for the
// whole program, and facade objects opened for them.
#ifndef PMSNMP_TESTS_API_V3_SUPPORT_H
#define PMSNMP_TESTS_API_V3_SUPPORT_H

#include <memory>
#include <string>

#include <gtest/gtest.h>
#include <pmsnmp/pmsnmp.h>

#include "support/snmpd_fixture.h"

namespace api_test {

constexpr pmc_long kTimeoutMs = 2000;
constexpr pmc_long kRetries = 1;
constexpr const char* kSystem = "1.3.6.1.2.1.1";
constexpr const char* kSysName = "1.3.6.1.2.1.1.5";
constexpr const char* kIfNumber = "1.3.6.1.2.1.2.1";

struct User {
    const char* name;
    pmc_long level;
    pmc_long auth;
    pmc_long priv;
    const char* auth_phrase;
    const char* priv_phrase;
};

inline const User kNoAuth{"pmsnoauth", PMS_SEC_NO_AUTH_NO_PRIV, 0, 0, "", ""};
inline const User kMd5Des{"pmsmd5des", PMS_SEC_AUTH_PRIV, PMS_AUTH_MD5, PMS_PRIV_DES, "pmsmd5pass",
                   "pmsdespass"};
inline const User kShaAes{"pmsshaaes", PMS_SEC_AUTH_PRIV, PMS_AUTH_SHA, PMS_PRIV_AES, "pmsshapass",
                   "pmsaespass"};
inline const User kShaAuth{"pmsshaauth", PMS_SEC_AUTH_NO_PRIV, PMS_AUTH_SHA, 0, "pmsauthonly", ""};

inline pmstest::SnmpdFixture* v3_agent(std::string* error) {
    static std::unique_ptr<pmstest::SnmpdFixture> agent;
    static std::string failure;
    if (!agent) {
        agent = std::make_unique<pmstest::SnmpdFixture>("snmpd_v3.conf");
        if (!agent->start(&failure)) agent->stop();
    }
    *error = failure;
    return agent->running() ? agent.get() : nullptr;
}

inline pmc::Owned<IPmcGetData> open_v3(unsigned short port, const User& user,
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

    pmstest::SnmpdFixture* agent = nullptr;
};

}  // namespace api_test

#endif
