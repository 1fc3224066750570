// A host that loads the shared library, makes one SNMPv3 authPriv get and
// unloads it, over and over: the resident memory it keeps per cycle (0 when
// nothing is lost on unloading). A plain program, against its own snmpd.
#include <dlfcn.h>

#include <cstdio>
#include <fstream>
#include <string>

#include <pmsnmp/pmsnmp.h>

#define PMSNMP_TEST_SUPPORT_DIR                                              \
    (std::string(__FILE__).substr(0, std::string(__FILE__).rfind("/bench/")) + \
     "/tests/support")
#include "../tests/support/snmpd_fixture.h"

namespace {

constexpr int kWarmUpCycles = 5;
constexpr int kCycles = 40;

long resident_kib() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) == 0) return std::stol(line.substr(6));
    }
    return -1;
}

bool one_cycle(unsigned short port) {
    void* handle = dlopen(PMSNMP_LIBRARY_PATH, RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) return false;
    auto create = reinterpret_cast<decltype(&pmc_create_get_data)>(
        dlsym(handle, "pmc_create_get_data"));
    bool ok = false;
    if (IPmcGetData* object = create != nullptr ? create(nullptr) : nullptr) {
        pmc_long value = 0;
        ok = object->open("127.0.0.1", PMC_ADDRESS_IPV4, port, PMS_VERSION_3, "pmsshaaes",
                          PMS_SEC_AUTH_PRIV, PMS_AUTH_SHA, PMS_PRIV_AES, "pmsshapass",
                          "pmsaespass", nullptr, 2000, 1, 0) == PMC_S_OK &&
             object->add_get_variable("1.3.6.1.2.1.2.1", true) == PMC_S_OK &&
             object->get_integer(&value) == PMC_S_OK;
        object->release();
    }
    dlclose(handle);
    return ok;
}

}  // namespace

int main() {
    std::string error;
    pmstest::SnmpdFixture snmpd("snmpd_v3.conf");
    if (!snmpd.start(&error)) {
        std::fprintf(stderr, "snmpd: %s\n", error.c_str());
        return 1;
    }
    for (int i = 0; i < kWarmUpCycles; ++i) {
        if (!one_cycle(snmpd.port())) return std::fprintf(stderr, "get failed\n"), 1;
    }
    const long before = resident_kib();
    for (int i = 0; i < kCycles; ++i) {
        if (!one_cycle(snmpd.port())) return std::fprintf(stderr, "get failed\n"), 1;
    }
    const long after = resident_kib();
    std::printf("dlopen cycle resident memory kept per cycle: %.2f KiB (%d cycles, %ld KiB -> %ld KiB)\n",
                static_cast<double>(after - before) / kCycles, kCycles, before, after);
    return 0;
}
