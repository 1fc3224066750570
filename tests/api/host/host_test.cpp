// A host program as a printer monitor would write it: it loads the shared
// library at run time, finds the two factories by name and reaches
// everything else through <pmsnmp/pmsnmp.h> alone.
#include <dlfcn.h>
#include <stdio.h>

#include <gtest/gtest.h>

#include <set>
#include <sstream>
#include <string>

#include <pmsnmp/pmsnmp.h>

#include "support/snmpd_fixture.h"

namespace {

typedef decltype(&pmc_create_get_data) CreateGetData;
typedef decltype(&pms_create_pdu_list) CreatePduList;

struct Library {
    Library() {
        handle = dlopen(PMSNMP_LIBRARY_PATH, RTLD_NOW | RTLD_LOCAL);
        if (handle == nullptr) return;
        create_get_data = reinterpret_cast<CreateGetData>(dlsym(handle, "pmc_create_get_data"));
        create_pdu_list = reinterpret_cast<CreatePduList>(dlsym(handle, "pms_create_pdu_list"));
    }
    // Left loaded: the library's static objects end with the process.
    void* handle = nullptr;
    CreateGetData create_get_data = nullptr;
    CreatePduList create_pdu_list = nullptr;
};

Library& library() {
    static Library loaded;
    return loaded;
}

struct HostTest : ::testing::Test {
    void SetUp() override {
        ASSERT_NE(library().handle, nullptr) << dlerror();
        ASSERT_NE(library().create_get_data, nullptr);
        ASSERT_NE(library().create_pdu_list, nullptr);
        std::string error;
        agent = pmstest::shared_snmpd(&error);
        ASSERT_NE(agent, nullptr) << error;
    }

    pmc::Owned<IPmcGetData> open(const char* community) {
        pmc_long status = -1;
        pmc::Owned<IPmcGetData> object(library().create_get_data(&status));
        EXPECT_EQ(status, PMC_S_OK);
        if (!object) return object;
        object->set_community(community);
        EXPECT_EQ(object->open("127.0.0.1", PMC_ADDRESS_IPV4, agent->port(), PMS_VERSION_1,
                               nullptr, 0, 0, 0, nullptr, nullptr, nullptr, 2000, 1, 0),
                  PMC_S_OK);
        return object;
    }

    pmstest::SnmpdFixture* agent = nullptr;
};

// Symbols the linker adds to every shared library, and the hooks of a
// sanitizer build. Standard-library instantiations are ours to hide.
bool foreign_symbol(const std::string& name) {
    static const char* const prefixes[] = {"__asan", "___asan", "__odr_asan", "__ubsan", "__sanitizer"};
    static const std::set<std::string> markers = {"_init", "_fini", "_edata", "_end", "__bss_start"};
    if (markers.count(name) != 0) return true;
    for (const char* prefix : prefixes) {
        if (name.rfind(prefix, 0) == 0) return true;
    }
    return false;
}

TEST(HostLibrary, ExportsExactlyTheTwoFactories) {
    FILE* pipe = popen("nm -D --defined-only " PMSNMP_LIBRARY_PATH, "r");
    ASSERT_NE(pipe, nullptr);
    std::string output;
    char chunk[4096];
    size_t n;
    while ((n = fread(chunk, 1, sizeof chunk, pipe)) > 0) output.append(chunk, n);
    ASSERT_EQ(pclose(pipe), 0);
    std::set<std::string> ours;
    std::istringstream lines(output);
    std::string address, kind, name;
    while (lines >> address >> kind >> name) {
        if (!foreign_symbol(name)) ours.insert(name);
    }
    EXPECT_EQ(ours, (std::set<std::string>{"pmc_create_get_data", "pms_create_pdu_list"}));
}

TEST_F(HostTest, GetSetAndWalkThroughThePublicHeader) {
    auto reader = open(pmstest::SnmpdFixture::kReadCommunity);
    ASSERT_NE(reader, nullptr);
    ASSERT_EQ(reader->add_get_variable("1.3.6.1.2.1.1.1", true), PMC_S_OK);
    char text[256];
    ASSERT_EQ(reader->get_string_n(text, sizeof text), PMC_S_OK);
    EXPECT_STREQ(text, "pmsnmp test agent");
    // The slot after get_string_n: the agent's noSuchName behind a read of 0.
    ASSERT_EQ(reader->add_get_variable("1.3.6.1.2.1.1.99", true), PMC_S_OK);
    ASSERT_EQ(reader->get_string_n(text, sizeof text), PMC_S_OK);
    pmc_long error_status = -1, error_index = -1;
    ASSERT_EQ(reader->get_error_status(&error_status, &error_index), PMC_S_OK);
    EXPECT_EQ(error_status, PMS_ERR_NO_SUCH_NAME);
    EXPECT_EQ(error_index, 1);

    const std::string name = pmstest::SnmpdFixture::kWritableInteger;
    const std::string column = name.substr(0, name.size() - 2);
    auto writer = open(pmstest::SnmpdFixture::kWriteCommunity);
    ASSERT_EQ(writer->add_set_variable(column.c_str(), "0", 31337), PMC_S_OK);
    ASSERT_EQ(writer->set(), PMC_S_OK);
    ASSERT_EQ(reader->add_get_variable(column.c_str(), true), PMC_S_OK);
    pmc_long value = 0;
    ASSERT_EQ(reader->get_integer(&value), PMC_S_OK);
    EXPECT_EQ(value, 31337);
    ASSERT_EQ(writer->add_set_variable(column.c_str(), "0", 7), PMC_S_OK);
    ASSERT_EQ(writer->set(), PMC_S_OK);

    pmc_long status = -1;
    pmc::Owned<IPmcPtrList<IPmsPdu>> responses(library().create_pdu_list(&status));
    ASSERT_EQ(status, PMC_S_OK);
    auto walker = open(pmstest::SnmpdFixture::kReadCommunity);
    ASSERT_EQ(walker->add_get_variable("1.3.6.1.2.1.1", false), PMC_S_OK);
    ASSERT_EQ(walker->walk(responses.get(), "1.3.6.1.2.1.1"), PMC_S_OK);

    pmstest::ToolResult tool = agent->run_tool({"snmpwalk", "-v1", "-c",
                                                pmstest::SnmpdFixture::kReadCommunity, "-On",
                                                "-Oqn", agent->ipv4_peer(), "1.3.6.1.2.1.1"});
    ASSERT_EQ(tool.exit_code, 0);
    std::istringstream lines(tool.out);
    std::string line;
    IPmcPtrList<IPmsPdu>::iterator it = responses->create_iterator(nullptr);
    pmc_ulong matched = 0;
    while (std::getline(lines, line)) {
        if (line.rfind(".1.", 0) != 0) continue;  // a continued value
        IPmsPdu* pdu = responses->current(it);
        ASSERT_NE(pdu, nullptr) << "missing " << line;
        IPmsVarBind* binding = pdu->get_varbind_list()->get_at(0);
        pmc::Owned<IPmcByteString> text_form(binding->get_oid()->get_text_new(nullptr));
        const std::string oid(reinterpret_cast<const char*>(text_form->get_data()));
        EXPECT_EQ(line.substr(1, line.find(' ') - 1), oid);
        responses->next(it);
        ++matched;
    }
    EXPECT_EQ(responses->current(it), nullptr);
    responses->release_iterator(it);
    EXPECT_EQ(matched, responses->count());
    EXPECT_GT(matched, 5u);
}

}  // namespace
