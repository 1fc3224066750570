// Targets: defaults, interface identifiers, credentials, copying, dispatch.
#include <cstring>
#include <functional>
#include <string>

#include <gtest/gtest.h>

#include <pmsnmp/owned.h>

#include "message/snmp_target.h"
#include "net/network_address.h"

namespace {

typedef pmc::Owned<IPmsSnmpTarget> Target;

Target community_target(const char* community = nullptr) {
    pmc_long status = PMC_E_FAIL;
    Target target(create_community_target(&status));
    EXPECT_EQ(PMC_S_OK, status);
    if (community != nullptr) {
        void* view = nullptr;
        target->query_interface(PMS_IID_COMMUNITY_TARGET, &view);
        EXPECT_EQ(PMC_S_OK, static_cast<IPmsCommunityTarget*>(view)->set_community(community));
    }
    return target;
}

Target v3_target() {
    pmc_long status = PMC_E_FAIL;
    Target target(create_v3_target(&status));
    EXPECT_EQ(PMC_S_OK, status);
    return target;
}

IPmsCommunityTarget* community_of(IPmsSnmpTarget* target) {
    void* view = nullptr;
    target->query_interface(PMS_IID_COMMUNITY_TARGET, &view);
    return static_cast<IPmsCommunityTarget*>(view);
}

IPmsV3Target* v3_of(IPmsSnmpTarget* target) {
    void* view = nullptr;
    target->query_interface(PMS_IID_V3_TARGET, &view);
    return static_cast<IPmsV3Target*>(view);
}

// Fills every field a target kind has with values unlike the defaults.
void fill_common(IPmsSnmpTarget* target) {
    target->set_version(PMS_VERSION_2C);
    target->set_timeout(1500);
    target->set_retries(3);
    target->set_max_message_size(1400);
    target->set_port(16161);
}

void fill_v3(IPmsV3Target* v3) {
    static const unsigned char engine[] = {0x80, 0x00, 0x1f, 0x88, 0x04, 0x00, 0x01};
    ASSERT_EQ(PMC_S_OK, v3->set_user_name("monitor"));
    ASSERT_EQ(PMC_S_OK, v3->set_security_level(PMS_SEC_AUTH_PRIV));
    ASSERT_EQ(PMC_S_OK, v3->set_auth_protocol(PMS_AUTH_SHA));
    ASSERT_EQ(PMC_S_OK, v3->set_priv_protocol(PMS_PRIV_AES));
    ASSERT_EQ(PMC_S_OK, v3->set_auth_pass_phrase("auth pass"));
    ASSERT_EQ(PMC_S_OK, v3->set_priv_pass_phrase("priv pass"));
    ASSERT_EQ(PMC_S_OK, v3->set_context_name("ctx"));
    ASSERT_EQ(PMC_S_OK, v3->set_engine_id(engine, sizeof engine));
}

void expect_common_filled(IPmsSnmpTarget* target) {
    EXPECT_EQ(PMS_VERSION_2C, target->get_version());
    EXPECT_EQ(1500, target->get_timeout());
    EXPECT_EQ(3, target->get_retries());
    EXPECT_EQ(1400, target->get_max_message_size());
    EXPECT_EQ(16161, target->get_port());
}

void expect_v3_filled(IPmsV3Target* v3) {
    static const unsigned char engine[] = {0x80, 0x00, 0x1f, 0x88, 0x04, 0x00, 0x01};
    EXPECT_STREQ("monitor", v3->get_user_name());
    EXPECT_EQ(PMS_SEC_AUTH_PRIV, v3->get_security_level());
    EXPECT_EQ(PMS_AUTH_SHA, v3->get_auth_protocol());
    EXPECT_EQ(PMS_PRIV_AES, v3->get_priv_protocol());
    EXPECT_STREQ("auth pass", v3->get_auth_pass_phrase());
    EXPECT_STREQ("priv pass", v3->get_priv_pass_phrase());
    EXPECT_STREQ("ctx", v3->get_context_name());
    EXPECT_TRUE(v3->get_engine_id()->equals(engine, sizeof engine));
}

TEST(SnmpTargetTest, BothKindsStartWithTheDefaults) {
    Target targets[] = {community_target(), v3_target()};
    for (Target& target : targets) {
        EXPECT_EQ(-1, target->get_version());
        EXPECT_EQ(-1, target->get_timeout());
        EXPECT_EQ(0, target->get_retries());
        EXPECT_EQ(0, target->get_max_message_size());
        EXPECT_EQ(0, target->get_port());
        EXPECT_EQ(nullptr, target->get_address());
    }
    EXPECT_EQ(PMS_SECURITY_COMMUNITY, targets[0]->translate_type());
    EXPECT_EQ(PMS_SECURITY_USM, targets[1]->translate_type());
    EXPECT_EQ(nullptr, community_of(targets[0].get())->get_community());
    IPmsV3Target* v3 = v3_of(targets[1].get());
    EXPECT_STREQ("", v3->get_user_name());
    EXPECT_EQ(PMS_SEC_NO_AUTH_NO_PRIV, v3->get_security_level());
    EXPECT_EQ(0, v3->get_auth_protocol());
    EXPECT_EQ(0, v3->get_priv_protocol());
    EXPECT_STREQ("", v3->get_auth_pass_phrase());
    EXPECT_STREQ("", v3->get_priv_pass_phrase());
    EXPECT_STREQ("", v3->get_context_name());
    ASSERT_NE(nullptr, v3->get_engine_id());
    EXPECT_EQ(0u, v3->get_engine_id()->get_length());
}

TEST(SnmpTargetTest, QueryInterfaceAnswersThisKindsIdentifiers) {
    struct Case {
        pmc_long id;
        bool community_answers;
        bool v3_answers;
    };
    const Case cases[] = {
        {PMS_IID_SNMP_TARGET, true, true},
        {PMS_IID_TARGET_BASE, true, true},
        {PMS_IID_COMMUNITY_TARGET, true, false},
        {PMS_IID_COMMUNITY_TARGET_ALT, true, false},
        {PMS_IID_V3_TARGET, false, true},
        {PMS_IID_V3_TARGET_ALT, false, true},
        {6, false, false},
        {-1, false, false},
        {static_cast<pmc_long>(0xF0000002u), false, false},
    };
    Target community = community_target();
    Target v3 = v3_target();
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "identifier " << c.id);
        void* view = &view;  // must be overwritten, null included
        community->query_interface(c.id, &view);
        EXPECT_EQ(c.community_answers, view != nullptr);
        view = &view;
        v3->query_interface(c.id, &view);
        EXPECT_EQ(c.v3_answers, view != nullptr);
    }
    void* view = nullptr;
    community->query_interface(PMS_IID_SNMP_TARGET, &view);
    EXPECT_EQ(static_cast<void*>(community.get()), view);
    community->query_interface(PMS_IID_COMMUNITY_TARGET_ALT, &view);
    EXPECT_EQ(static_cast<void*>(community_of(community.get())), view);
    v3->query_interface(PMS_IID_V3_TARGET_ALT, &view);
    EXPECT_EQ(static_cast<void*>(v3_of(v3.get())), view);
    community->query_interface(PMS_IID_SNMP_TARGET, nullptr);  // ignored
}

TEST(SnmpTargetTest, CommunityIsCopiedAndCanBeDropped) {
    Target target = community_target();
    IPmsCommunityTarget* community = community_of(target.get());
    char text[] = "public";
    ASSERT_EQ(PMC_S_OK, community->set_community(text));
    std::strcpy(text, "xxxxxx");
    EXPECT_STREQ("public", community->get_community());
    ASSERT_EQ(PMC_S_OK, community->set_community(""));
    EXPECT_STREQ("", community->get_community());  // empty is not absent
    ASSERT_EQ(PMC_S_OK, community->set_community(nullptr));
    EXPECT_EQ(nullptr, community->get_community());
    ASSERT_EQ(PMC_S_OK, community->set_community("private"));
    target->clear_credentials();
    EXPECT_EQ(nullptr, community->get_community());
}

TEST(SnmpTargetTest, UserNameIsLimitedTo32Characters) {
    Target target = v3_target();
    IPmsV3Target* v3 = v3_of(target.get());
    ASSERT_EQ(PMC_S_OK, v3->set_user_name("old"));
    const std::string longest(PMS_V3_USER_NAME_MAX, 'u');
    const std::string too_long(PMS_V3_USER_NAME_MAX + 1, 'u');
    EXPECT_EQ(PMC_E_INVALID_ARG, v3->set_user_name(too_long.c_str()));
    EXPECT_STREQ("old", v3->get_user_name());
    EXPECT_EQ(PMC_S_OK, v3->set_user_name(longest.c_str()));
    EXPECT_EQ(longest, v3->get_user_name());
    EXPECT_EQ(PMC_S_OK, v3->set_user_name(nullptr));
    EXPECT_STREQ("", v3->get_user_name());
}

TEST(SnmpTargetTest, NullTextsBecomeEmpty) {
    Target target = v3_target();
    IPmsV3Target* v3 = v3_of(target.get());
    fill_v3(v3);
    EXPECT_EQ(PMC_S_OK, v3->set_auth_pass_phrase(nullptr));
    EXPECT_EQ(PMC_S_OK, v3->set_priv_pass_phrase(nullptr));
    EXPECT_EQ(PMC_S_OK, v3->set_context_name(nullptr));
    EXPECT_STREQ("", v3->get_auth_pass_phrase());
    EXPECT_STREQ("", v3->get_priv_pass_phrase());
    EXPECT_STREQ("", v3->get_context_name());
    v3_of(target.get());
    target->clear_credentials();  // SNMPv3 keeps its credentials
    EXPECT_STREQ("monitor", v3->get_user_name());
}

TEST(SnmpTargetTest, EngineIdNeedsOctetsAndLength) {
    static const unsigned char octets[] = {1, 0, 2};
    struct Case {
        const unsigned char* octets;
        pmc_ulong length;
        pmc_ulong stored;
    };
    const Case cases[] = {
        {octets, 3, 3}, {octets, 0, 0}, {nullptr, 3, 0}, {nullptr, 0, 0},
    };
    for (const Case& c : cases) {
        Target target = v3_target();
        IPmsV3Target* v3 = v3_of(target.get());
        ASSERT_EQ(PMC_S_OK, v3->set_engine_id(octets, 2));
        EXPECT_EQ(PMC_S_OK, v3->set_engine_id(c.octets, c.length));
        EXPECT_EQ(c.stored, v3->get_engine_id()->get_length());
        if (c.stored != 0) {
            EXPECT_TRUE(v3->get_engine_id()->equals(octets, 3));
        }
    }
}

TEST(SnmpTargetTest, CommunityEqualityComparesCommunitiesOnly) {
    struct Case {
        const char* a;
        const char* b;
        bool equal;
    };
    const Case cases[] = {
        {"public", "public", true}, {"public", "private", false}, {nullptr, nullptr, true},
        {"public", nullptr, false}, {"", nullptr, false},          {"", "", true},
    };
    for (const Case& c : cases) {
        Target a = community_target(c.a);
        Target b = community_target(c.b);
        fill_common(b.get());  // fields that are not compared
        EXPECT_EQ(c.equal, a->equals(b.get()));
        EXPECT_EQ(c.equal, b->equals(a.get()));
    }
    Target a = community_target("public");
    EXPECT_FALSE(a->equals(nullptr));
}

TEST(SnmpTargetTest, TargetsOfDifferentKindsDiffer) {
    Target community = community_target();
    Target v3 = v3_target();
    EXPECT_FALSE(community->equals(v3.get()));
    EXPECT_FALSE(v3->equals(community.get()));
    EXPECT_FALSE(v3->equals(nullptr));
}

TEST(SnmpTargetTest, V3EqualityComparesCredentialsButNotTheEngineId) {
    typedef std::function<void(IPmsV3Target*)> Change;
    struct Case {
        const char* what;
        Change change;
        bool equal;
    };
    static const unsigned char other_engine[] = {9, 9};
    const Case cases[] = {
        {"nothing", [](IPmsV3Target*) {}, true},
        {"engine id", [](IPmsV3Target* t) { t->set_engine_id(other_engine, 2); }, true},
        {"user name", [](IPmsV3Target* t) { t->set_user_name("other"); }, false},
        {"level", [](IPmsV3Target* t) { t->set_security_level(PMS_SEC_AUTH_NO_PRIV); }, false},
        {"auth", [](IPmsV3Target* t) { t->set_auth_protocol(PMS_AUTH_MD5); }, false},
        {"priv", [](IPmsV3Target* t) { t->set_priv_protocol(PMS_PRIV_DES); }, false},
        {"auth phrase", [](IPmsV3Target* t) { t->set_auth_pass_phrase("x"); }, false},
        {"priv phrase", [](IPmsV3Target* t) { t->set_priv_pass_phrase("x"); }, false},
        {"context", [](IPmsV3Target* t) { t->set_context_name("x"); }, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Target a = v3_target();
        Target b = v3_target();
        fill_v3(v3_of(a.get()));
        fill_v3(v3_of(b.get()));
        b->set_port(1161);  // not compared
        c.change(v3_of(b.get()));
        EXPECT_EQ(c.equal, a->equals(b.get()));
        EXPECT_EQ(c.equal, b->equals(a.get()));
    }
}

TEST(SnmpTargetTest, CopyFromSameKindCopiesEverything) {
    Target source = community_target("public");
    fill_common(source.get());
    Target copy = community_target("old");
    EXPECT_EQ(PMC_S_OK, copy->copy_from(source.get()));
    expect_common_filled(copy.get());
    EXPECT_STREQ("public", community_of(copy.get())->get_community());
    EXPECT_NE(community_of(source.get())->get_community(), community_of(copy.get())->get_community());

    Target v3_source = v3_target();
    fill_common(v3_source.get());
    fill_v3(v3_of(v3_source.get()));
    Target v3_copy = v3_target();
    EXPECT_EQ(PMC_S_OK, v3_copy->copy_from(v3_source.get()));
    expect_common_filled(v3_copy.get());
    expect_v3_filled(v3_of(v3_copy.get()));

    EXPECT_EQ(PMC_S_OK, v3_copy->copy_from(v3_copy.get()));  // from itself
    expect_v3_filled(v3_of(v3_copy.get()));
}

TEST(SnmpTargetTest, CopyFromOtherKindCopiesCommonFieldsThenFails) {
    Target v3 = v3_target();
    fill_common(v3.get());
    fill_v3(v3_of(v3.get()));
    Target community = community_target("public");
    EXPECT_EQ(PMC_E_INVALID_ARG, community->copy_from(v3.get()));
    expect_common_filled(community.get());
    EXPECT_STREQ("public", community_of(community.get())->get_community());

    Target other = community_target("public");
    fill_common(other.get());
    Target v3_copy = v3_target();
    EXPECT_EQ(PMC_E_INVALID_ARG, v3_copy->copy_from(other.get()));
    expect_common_filled(v3_copy.get());
    EXPECT_STREQ("", v3_of(v3_copy.get())->get_user_name());

    EXPECT_EQ(PMC_E_INVALID_ARG, v3_copy->copy_from(nullptr));
}

TEST(SnmpTargetTest, CloneKeepsTheKindAndIsIndependent) {
    Target community = community_target("public");
    fill_common(community.get());
    pmc_long status = PMC_E_FAIL;
    Target copy(community->clone(&status));
    ASSERT_EQ(PMC_S_OK, status);
    ASSERT_TRUE(copy);
    EXPECT_EQ(PMS_SECURITY_COMMUNITY, copy->translate_type());
    expect_common_filled(copy.get());
    EXPECT_TRUE(copy->equals(community.get()));
    community_of(copy.get())->set_community("changed");
    EXPECT_STREQ("public", community_of(community.get())->get_community());

    Target v3 = v3_target();
    fill_common(v3.get());
    fill_v3(v3_of(v3.get()));
    Target v3_copy(v3->clone(nullptr));
    ASSERT_TRUE(v3_copy);
    EXPECT_EQ(PMS_SECURITY_USM, v3_copy->translate_type());
    expect_common_filled(v3_copy.get());
    expect_v3_filled(v3_of(v3_copy.get()));
    EXPECT_NE(v3_of(v3.get())->get_engine_id(), v3_of(v3_copy.get())->get_engine_id());
}

pmc::Owned<CPmcNetworkAddress> address(const char* text, unsigned short port) {
    pmc_long status = PMC_E_FAIL;
    pmc::Owned<CPmcNetworkAddress> result(pmc_create_network_address_from_text(text, port, &status));
    EXPECT_EQ(PMC_S_OK, status) << text;
    return result;
}

TEST(SnmpTargetTest, SetAddressKeepsAClone) {
    Target target = community_target();
    pmc::Owned<CPmcNetworkAddress> agent = address("127.0.0.1", 161);
    ASSERT_EQ(PMC_S_OK, target->set_address(agent.get()));
    CPmcNetworkAddress* kept = target->get_address();
    ASSERT_NE(nullptr, kept);
    EXPECT_NE(agent.get(), kept);
    EXPECT_STREQ("127.0.0.1", kept->get_text());
    EXPECT_EQ(161, kept->get_port());
    agent.reset();  // the target's copy outlives the original
    EXPECT_STREQ("127.0.0.1", target->get_address()->get_text());

    ASSERT_EQ(PMC_S_OK, target->set_address(target->get_address()));  // its own address
    EXPECT_STREQ("127.0.0.1", target->get_address()->get_text());
    ASSERT_EQ(PMC_S_OK, target->set_address(nullptr));
    EXPECT_EQ(nullptr, target->get_address());
}

TEST(SnmpTargetTest, CommunityTargetsWithDifferentAddressesAreEqual) {
    Target a = community_target("public");
    Target b = community_target("public");
    pmc::Owned<CPmcNetworkAddress> first = address("127.0.0.1", 161);
    pmc::Owned<CPmcNetworkAddress> second = address("::1", 1161);
    ASSERT_EQ(PMC_S_OK, a->set_address(first.get()));
    ASSERT_EQ(PMC_S_OK, b->set_address(second.get()));
    EXPECT_TRUE(a->equals(b.get()));
}

TEST(SnmpTargetTest, CopiesCloneTheAddress) {
    Target source = v3_target();
    fill_v3(v3_of(source.get()));
    pmc::Owned<CPmcNetworkAddress> agent = address("::1", 16100);
    ASSERT_EQ(PMC_S_OK, source->set_address(agent.get()));
    Target copy(source->clone(nullptr));
    ASSERT_TRUE(copy);
    ASSERT_NE(nullptr, copy->get_address());
    EXPECT_NE(source->get_address(), copy->get_address());
    EXPECT_STREQ("::1", copy->get_address()->get_text());
    EXPECT_EQ(16100, copy->get_address()->get_port());

    // Copying from a source without address leaves none.
    Target bare = v3_target();
    ASSERT_EQ(PMC_S_OK, copy->copy_from(bare.get()));
    EXPECT_EQ(nullptr, copy->get_address());
}

// Records which header operation a target chose.
class RecordingVisitor : public IPmsHeaderVisitor {
public:
    pmc_long visit_community_header(IPmsCommunityTarget* target) override {
        community = target;
        return 11;
    }
    pmc_long visit_v3_header(IPmsV3Target* target) override {
        v3 = target;
        return 22;
    }
    IPmsCommunityTarget* community = nullptr;
    IPmsV3Target* v3 = nullptr;
};

TEST(SnmpTargetTest, AcceptCallsTheHeaderOperationOfItsKind) {
    Target community = community_target();
    Target v3 = v3_target();
    RecordingVisitor visitor;
    EXPECT_EQ(11, community->accept(&visitor));
    EXPECT_EQ(community_of(community.get()), visitor.community);
    EXPECT_EQ(nullptr, visitor.v3);
    visitor.community = nullptr;
    EXPECT_EQ(22, v3->accept(&visitor));
    EXPECT_EQ(v3_of(v3.get()), visitor.v3);
    EXPECT_EQ(nullptr, visitor.community);
    EXPECT_EQ(PMC_E_INVALID_ARG, community->accept(nullptr));
    EXPECT_EQ(PMC_E_INVALID_ARG, v3->accept(nullptr));
}

TEST(SnmpTargetTest, CreateTargetForTypeMakesOnlyCommunityTargets) {
    struct Case {
        pmc_long type;
        pmc_long status;
    };
    const Case cases[] = {
        {PMS_SECURITY_COMMUNITY, PMC_S_OK},
        {PMS_SECURITY_USM, PMC_E_INVALID_ARG},
        {-1, PMC_E_INVALID_ARG},
        {7, PMC_E_INVALID_ARG},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "type " << c.type);
        pmc_long status = PMC_E_FAIL;
        Target target(create_target_for_type(c.type, &status));
        EXPECT_EQ(c.status, status);
        EXPECT_EQ(c.status == PMC_S_OK, static_cast<bool>(target));
        if (target) {
            EXPECT_EQ(PMS_SECURITY_COMMUNITY, target->translate_type());
        }
    }
}

}  // namespace
