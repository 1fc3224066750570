// A host as MSVC builds it: clang for i686-pc-windows-msvc gives its classes
// MSVC's layout (IPmsOid with its virtual-base pointer), and it uses no
// Microsoft file: no C++ library, its few Win32 and C functions declared
// here. It loads pmsnmp.dll like test_host_dll and reads identifiers out of a
// walk through both of their views. Prints one line per failed check; the
// exit status is the number of failures.
#include <pmsnmp/get_data.h>

extern "C" {
__declspec(dllimport) void* __stdcall LoadLibraryA(const char* name);
__declspec(dllimport) void* __stdcall GetProcAddress(void* module, const char* name);
__declspec(dllimport) void __stdcall ExitProcess(unsigned code);
int printf(const char* format, ...);
int strcmp(const char* a, const char* b);
void* fopen(const char* name, const char* mode);
int fscanf(void* file, const char* format, ...);
int fclose(void* file);
int _purecall() {
    ExitProcess(255);
    return 0;
}
}

namespace {

typedef IPmcGetData*(__cdecl* CreateGetData)(pmc_long*);
typedef IPmcPtrList<IPmsPdu>*(__cdecl* CreatePduList)(pmc_long*);

constexpr const char* kSystem = "1.3.6.1.2.1.1";
constexpr const char* kWritableColumn = "1.3.6.1.4.1.8072.9999.9999.1";
constexpr pmc_long kTimeoutMs = 2000;

int failures = 0;

void check(bool good, const char* what, int line) {
    if (good) return;
    ++failures;
    printf("msvc_host.cpp:%d: failed: %s\n", line, what);
}
#define CHECK(condition) check((condition), #condition, __LINE__)

// The text of any value, through its IPmsValue table.
bool text_is(const IPmsValue* value, const char* expected) {
    IPmcByteString* text = value->get_text_new(nullptr);
    if (text == nullptr) return false;
    const bool same = text->equals_text(expected);
    text->release();
    return same;
}

// Reached through accept(): the DLL hands its identifier view to the host.
struct OidVisitor : IPmsValueVisitor {
    pmc_long visit_oid(IPmsOid* oid) override { return oid->compare_text(kSystem, nullptr); }
    pmc_long visit_octet_string(IPmsValue*) override { return -1; }
    pmc_long visit_integer(IPmsValue*) override { return -1; }
    pmc_long visit_null(IPmsValue*) override { return -1; }
    pmc_long visit_counter32(IPmsValue*) override { return -1; }
    pmc_long visit_gauge32(IPmsValue*) override { return -1; }
    pmc_long visit_time_ticks(IPmsValue*) override { return -1; }
    pmc_long visit_counter64(IPmsValue*) override { return -1; }
    pmc_long visit_ip_address(IPmsValue*) override { return -1; }
    pmc_long visit_ipv6_address(IPmsValue*) override { return -1; }
    pmc_long visit_udp_address(IPmsValue*) override { return -1; }
    pmc_long visit_ipx_address(IPmsValue*) override { return -1; }
    pmc_long visit_exception(IPmsValue*) override { return -1; }
};

IPmcGetData* open(CreateGetData create, unsigned short port, const char* community) {
    IPmcGetData* data = create(nullptr);
    if (data == nullptr) return nullptr;
    data->set_community(community);
    CHECK(data->open("127.0.0.1", PMC_ADDRESS_IPV4, port, PMS_VERSION_2C, nullptr, 0, 0, 0, nullptr,
                     nullptr, nullptr, kTimeoutMs, 1, 0) == PMC_S_OK);
    return data;
}

void get_and_set(CreateGetData create, unsigned short port) {
    IPmcGetData* reader = open(create, port, "pmsread");
    IPmcGetData* writer = open(create, port, "pmswrite");
    char text[256];
    CHECK(reader->add_get_variable("1.3.6.1.2.1.1.1", true) == PMC_S_OK);
    CHECK(reader->get_string_n(text, sizeof text) == PMC_S_OK && strcmp(text, "pmsnmp test agent") == 0);
    pmc_long value = 0;
    const pmc_long written_values[] = {31337, 7};
    for (pmc_long written : written_values) {
        CHECK(writer->add_set_variable(kWritableColumn, "0", written) == PMC_S_OK);
        CHECK(writer->set() == PMC_S_OK);
        CHECK(reader->add_get_variable(kWritableColumn, true) == PMC_S_OK);
        CHECK(reader->get_integer(&value) == PMC_S_OK && value == written);
    }
    reader->release();
    writer->release();
}

// Each binding's name through IPmsOid (compare, clone) and IPmsValue (type,
// text); sysObjectID's value through as_oid() and the visitor.
void walk(CreateGetData create, CreatePduList create_list, unsigned short port) {
    IPmcGetData* walker = open(create, port, "pmsread");
    IPmcPtrList<IPmsPdu>* responses = create_list(nullptr);
    CHECK(walker->add_get_variable(kSystem, false) == PMC_S_OK);
    CHECK(walker->walk(responses, kSystem) == PMC_S_OK);
    CHECK(responses->count() > 5);
    IPmsOid* previous = nullptr;
    bool seen_object_id = false;
    IPmcPtrList<IPmsPdu>::iterator it = responses->create_iterator(nullptr);
    for (IPmsPdu* pdu = responses->current(it); pdu != nullptr; responses->next(it), pdu = responses->current(it)) {
        IPmsVarBind* binding = pdu->get_varbind_list()->get_at(0);
        IPmsOid* name = binding->get_oid();
        IPmsValue* name_value = name;
        CHECK(name_value->get_type() == PMS_TYPE_OID);
        CHECK(name_value->as_oid() == name);
        CHECK(name->compare_text(kSystem, nullptr) == PMS_OID_BELOW);
        if (previous == nullptr) CHECK(text_is(name, "1.3.6.1.2.1.1.1.0"));
        if (previous != nullptr) CHECK(name->compare(previous, nullptr) == PMS_OID_AFTER);
        IPmsOid* copy = name->clone_oid(nullptr);
        CHECK(copy != nullptr && copy->compare(name, nullptr) == PMS_OID_EQUAL && copy != name);
        if (copy != nullptr) copy->release();
        previous = name;

        IPmsValue* value = binding->get_value();
        if (name->compare_text("1.3.6.1.2.1.1.2.0", nullptr) != PMS_OID_EQUAL) continue;
        seen_object_id = true;
        CHECK(value->get_type() == PMS_TYPE_OID);
        IPmsOid* object_id = value->as_oid();
        CHECK(object_id != nullptr && static_cast<IPmsValue*>(object_id) == value);
        OidVisitor visitor;
        CHECK(value->accept(&visitor) == object_id->compare_text(kSystem, nullptr));
        CHECK(object_id->append_oid(name) == PMC_S_OK && object_id->get_length() > name->get_length());
    }
    responses->release_iterator(it);
    CHECK(seen_object_id);
    responses->release();
    walker->release();
}

void user_based_get(CreateGetData create, unsigned short port) {
    IPmcGetData* user = create(nullptr);
    CHECK(user->open("127.0.0.1", PMC_ADDRESS_IPV4, port, PMS_VERSION_3, "pmsshaaes", PMS_SEC_AUTH_PRIV,
                     PMS_AUTH_SHA, PMS_PRIV_AES, "pmsshapass", "pmsaespass", nullptr, kTimeoutMs, 1, 0) ==
          PMC_S_OK);
    CHECK(user->add_get_variable("1.3.6.1.2.1.1.1", true) == PMC_S_OK);
    char text[256];
    CHECK(user->get_string_n(text, sizeof text) == PMC_S_OK && strcmp(text, "pmsnmp test agent") == 0);
    user->release();
}

unsigned short snmpd_port() {
    unsigned port = 0;
    void* file = fopen(PMSNMP_SNMPD_PORT_FILE, "r");
    if (file == nullptr) return 0;
    if (fscanf(file, "%u", &port) != 1) port = 0;
    fclose(file);
    return static_cast<unsigned short>(port);
}

}  // namespace

extern "C" void __cdecl host_main() {
    void* dll = LoadLibraryA("pmsnmp.dll");
    auto create = reinterpret_cast<CreateGetData>(dll ? GetProcAddress(dll, "pmc_create_get_data") : nullptr);
    auto create_list = reinterpret_cast<CreatePduList>(dll ? GetProcAddress(dll, "pms_create_pdu_list") : nullptr);
    const unsigned short port = snmpd_port();
    CHECK(create != nullptr && create_list != nullptr && port != 0);
    if (failures == 0) {
        get_and_set(create, port);
        walk(create, create_list, port);
        user_based_get(create, port);
    }
    printf("msvc_host: %d failed\n", failures);
    ExitProcess(static_cast<unsigned>(failures));
}
