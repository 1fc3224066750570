// A Windows host as a printer monitor would write it: pmsnmp.dll loaded
// with LoadLibrary, the two factories found with GetProcAddress, everything
// else reached through <pmsnmp/pmsnmp.h>. The agent is a Linux snmpd on
// loopback, started by the test's fixture.
#include <gtest/gtest.h>

#include <windows.h>

#include <cctype>
#include <cstdio>
#include <set>
#include <string>

#include <pmsnmp/pmsnmp.h>

namespace {

typedef decltype(&pmc_create_get_data) CreateGetData;
typedef decltype(&pms_create_pdu_list) CreatePduList;

constexpr const char* kReadCommunity = "pmsread";
constexpr const char* kWriteCommunity = "pmswrite";
constexpr const char* kWritableColumn = "1.3.6.1.4.1.8072.9999.9999.1";
constexpr const char* kSystem = "1.3.6.1.2.1.1";
constexpr pmc_long kTimeoutMs = 2000;
constexpr pmc_long kInitialValue = 7;
constexpr pmc_long kWrittenValue = 31337;

struct Library {
    Library() {
        module = LoadLibraryA(PMSNMP_DLL_NAME);
        if (module == nullptr) return;
        create_get_data = reinterpret_cast<CreateGetData>(
            reinterpret_cast<void*>(GetProcAddress(module, "pmc_create_get_data")));
        create_pdu_list = reinterpret_cast<CreatePduList>(
            reinterpret_cast<void*>(GetProcAddress(module, "pms_create_pdu_list")));
    }
    // Left loaded: the library's static objects end with the process.
    HMODULE module = nullptr;
    CreateGetData create_get_data = nullptr;
    CreatePduList create_pdu_list = nullptr;
};

Library& library() {
    static Library loaded;
    return loaded;
}

const BYTE* image() { return reinterpret_cast<const BYTE*>(library().module); }

const IMAGE_DATA_DIRECTORY& directory(int index) {
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(image());
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(image() + dos->e_lfanew);
    return nt->OptionalHeader.DataDirectory[index];
}

std::string lower(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

unsigned short snmpd_port() {
    unsigned port = 0;
    FILE* file = std::fopen(PMSNMP_SNMPD_PORT_FILE, "r");
    if (file == nullptr) return 0;
    if (std::fscanf(file, "%u", &port) != 1) port = 0;
    std::fclose(file);
    return static_cast<unsigned short>(port);
}

struct HostDll : ::testing::Test {
    void SetUp() override {
        ASSERT_NE(library().module, nullptr) << "LoadLibrary: " << GetLastError();
        ASSERT_NE(library().create_get_data, nullptr);
        ASSERT_NE(library().create_pdu_list, nullptr);
        port = snmpd_port();
        ASSERT_NE(port, 0) << "no port in " << PMSNMP_SNMPD_PORT_FILE;
    }

    pmc::Owned<IPmcGetData> open(const char* community) {
        pmc_long status = PMC_E_FAIL;
        pmc::Owned<IPmcGetData> object(library().create_get_data(&status));
        EXPECT_EQ(status, PMC_S_OK);
        if (!object) return object;
        object->set_community(community);
        EXPECT_EQ(object->open("127.0.0.1", PMC_ADDRESS_IPV4, port, PMS_VERSION_2C, nullptr, 0,
                               0, 0, nullptr, nullptr, nullptr, kTimeoutMs, 1, 0),
                  PMC_S_OK);
        return object;
    }

    unsigned short port = 0;
};

TEST_F(HostDll, ExportsExactlyTheTwoFactoriesUndecorated) {
    const IMAGE_DATA_DIRECTORY& entry = directory(IMAGE_DIRECTORY_ENTRY_EXPORT);
    ASSERT_NE(entry.VirtualAddress, 0u);
    const auto* exports =
        reinterpret_cast<const IMAGE_EXPORT_DIRECTORY*>(image() + entry.VirtualAddress);
    const auto* names = reinterpret_cast<const DWORD*>(image() + exports->AddressOfNames);
    std::set<std::string> found;
    for (DWORD i = 0; i < exports->NumberOfNames; ++i)
        found.insert(reinterpret_cast<const char*>(image() + names[i]));
    EXPECT_EQ(exports->NumberOfFunctions, 2u);
    EXPECT_EQ(found, (std::set<std::string>{"pmc_create_get_data", "pms_create_pdu_list"}));
}

// The runtime is inside the DLL; our own sockets come from a library loaded
// at run time, and Net-SNMP with OpenSSL import only system libraries.
TEST_F(HostDll, ImportsOnlyWhatEveryProcessHas) {
    const IMAGE_DATA_DIRECTORY& entry = directory(IMAGE_DIRECTORY_ENTRY_IMPORT);
    ASSERT_NE(entry.VirtualAddress, 0u);
    std::set<std::string> imported;
    for (const auto* d =
             reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(image() + entry.VirtualAddress);
         d->Name != 0; ++d) {
        imported.insert(lower(reinterpret_cast<const char*>(image() + d->Name)));
    }
    const std::set<std::string> system = {"kernel32.dll", "msvcrt.dll", "ntdll.dll",
                                          "ws2_32.dll",   "advapi32.dll", "user32.dll",
                                          "crypt32.dll"};
    for (const std::string& name : imported) EXPECT_EQ(system.count(name), 1u) << name;
}

TEST_F(HostDll, GetSetAndWalkAgainstSnmpd) {
    auto reader = open(kReadCommunity);
    ASSERT_NE(reader, nullptr);
    ASSERT_EQ(reader->add_get_variable("1.3.6.1.2.1.1.1", true), PMC_S_OK);
    char text[256];
    ASSERT_EQ(reader->get_string_n(text, sizeof text), PMC_S_OK);
    EXPECT_STREQ(text, "pmsnmp test agent");

    auto writer = open(kWriteCommunity);
    ASSERT_NE(writer, nullptr);
    ASSERT_EQ(writer->add_set_variable(kWritableColumn, "0", kWrittenValue), PMC_S_OK);
    ASSERT_EQ(writer->set(), PMC_S_OK);
    ASSERT_EQ(reader->add_get_variable(kWritableColumn, true), PMC_S_OK);
    pmc_long value = 0;
    ASSERT_EQ(reader->get_integer(&value), PMC_S_OK);
    EXPECT_EQ(value, kWrittenValue);
    ASSERT_EQ(writer->add_set_variable(kWritableColumn, "0", kInitialValue), PMC_S_OK);
    ASSERT_EQ(writer->set(), PMC_S_OK);

    pmc_long status = PMC_E_FAIL;
    pmc::Owned<IPmcPtrList<IPmsPdu>> responses(library().create_pdu_list(&status));
    ASSERT_EQ(status, PMC_S_OK);
    auto walker = open(kReadCommunity);
    ASSERT_EQ(walker->add_get_variable(kSystem, false), PMC_S_OK);
    ASSERT_EQ(walker->walk(responses.get(), kSystem), PMC_S_OK);
    ASSERT_GT(responses->count(), 5u);

    // In order, inside the subtree, starting with sysDescr.0.
    std::string previous;
    IPmcPtrList<IPmsPdu>::iterator it = responses->create_iterator(nullptr);
    for (IPmsPdu* pdu = responses->current(it); pdu != nullptr;
         responses->next(it), pdu = responses->current(it)) {
        IPmsOid* oid = pdu->get_varbind_list()->get_at(0)->get_oid();
        pmc::Owned<IPmcByteString> name(oid->get_text_new(nullptr));
        const std::string current(reinterpret_cast<const char*>(name->get_data()));
        EXPECT_EQ(current.rfind(std::string(kSystem) + ".", 0), 0u) << current;
        if (previous.empty()) {
            EXPECT_EQ(current, "1.3.6.1.2.1.1.1.0");
        }
        previous = current;
    }
    responses->release_iterator(it);
}

// SNMPv3 inside the DLL: Net-SNMP's USM over OpenSSL's SHA and AES, with
// the keys localised to the Linux agent's engine.
TEST_F(HostDll, UserBasedGetWithShaAndAes) {
    pmc_long status = PMC_E_FAIL;
    pmc::Owned<IPmcGetData> user(library().create_get_data(&status));
    ASSERT_EQ(status, PMC_S_OK);
    ASSERT_EQ(user->open("127.0.0.1", PMC_ADDRESS_IPV4, port, PMS_VERSION_3, "pmsshaaes",
                         PMS_SEC_AUTH_PRIV, PMS_AUTH_SHA, PMS_PRIV_AES, "pmsshapass",
                         "pmsaespass", nullptr, kTimeoutMs, 1, 0),
              PMC_S_OK);
    ASSERT_EQ(user->add_get_variable("1.3.6.1.2.1.1.1", true), PMC_S_OK);
    char text[256];
    ASSERT_EQ(user->get_string_n(text, sizeof text), PMC_S_OK);
    EXPECT_STREQ(text, "pmsnmp test agent");

    // A wrong privacy pass phrase is refused, not answered.
    ASSERT_EQ(user->open("127.0.0.1", PMC_ADDRESS_IPV4, port, PMS_VERSION_3, "pmsshaaes",
                         PMS_SEC_AUTH_PRIV, PMS_AUTH_SHA, PMS_PRIV_AES, "pmsshapass",
                         "not-the-aes-pass", nullptr, kTimeoutMs, 0, 0),
              PMC_S_OK);
    ASSERT_EQ(user->add_get_variable("1.3.6.1.2.1.1.1", true), PMC_S_OK);
    EXPECT_NE(user->get_string_n(text, sizeof text), PMC_S_OK);
}

// IPmsOid derives virtually from IPmsValue: a MinGW-built host finds the
// IPmsValue part and its slots where the DLL put them.
TEST_F(HostDll, MingwHostReachesTheVirtualBaseOfAnIdentifier) {
    auto reader = open(kReadCommunity);
    ASSERT_NE(reader, nullptr);
    pmc_long status = PMC_E_FAIL;
    pmc::Owned<IPmcPtrList<IPmsPdu>> responses(library().create_pdu_list(&status));
    ASSERT_EQ(reader->add_get_variable("1.3.6.1.2.1.1.2", false), PMC_S_OK);
    ASSERT_EQ(reader->walk(responses.get(), "1.3.6.1.2.1.1.2"), PMC_S_OK);
    ASSERT_EQ(responses->count(), 1u);
    IPmcPtrList<IPmsPdu>::iterator it = responses->create_iterator(nullptr);
    IPmsVarBind* binding = responses->current(it)->get_varbind_list()->get_at(0);
    responses->release_iterator(it);

    // sysObjectID's value is an identifier: reached as a value, turned into
    // an IPmsOid by the DLL, and back to the same value by the host.
    IPmsValue* value = binding->get_value();
    ASSERT_EQ(value->get_type(), PMS_TYPE_OID);
    IPmsOid* oid = value->as_oid();
    ASSERT_NE(oid, nullptr);
    EXPECT_EQ(static_cast<IPmsValue*>(oid), value);
    IPmsOid* name = binding->get_oid();
    IPmsValue* name_value = name;
    EXPECT_EQ(name_value->get_type(), PMS_TYPE_OID);
    EXPECT_EQ(name_value->as_oid(), name);
    pmc::Owned<IPmcByteString> text(name->get_text_new(nullptr));
    EXPECT_TRUE(text->equals_text("1.3.6.1.2.1.1.2.0"));
}

}  // namespace
