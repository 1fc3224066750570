#include "session/v3_library.h"

#include <net-snmp/net-snmp-config.h>
#include <net-snmp/net-snmp-includes.h>
#include <net-snmp/library/snmp_secmod.h>

namespace {

// An empty application type: no application configuration file is named.
const char* const kApplicationType = "";

// Guarded by pms_v3_library_lock().
int g_users = 0;
// The host had the library running before our first user: its settings and
// its lifetime are the host's, so we neither change nor end them.
bool g_host_initialised = false;

bool library_running() { return find_sec_mod(USM_SEC_MODEL_NUMBER) != nullptr; }

// Must precede init_snmp: it reads configuration and persistent files and
// MIBs as soon as it runs.
void keep_out_of_the_host() {
    netsnmp_ds_set_boolean(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_DONT_READ_CONFIGS, 1);
    netsnmp_ds_set_boolean(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_DONT_PERSIST_STATE, 1);
    netsnmp_ds_set_boolean(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_DISABLE_PERSISTENT_LOAD, 1);
    netsnmp_ds_set_boolean(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_DISABLE_PERSISTENT_SAVE, 1);
    netsnmp_ds_set_boolean(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_DONT_LOAD_HOST_FILES, 1);
    // No MIB directory, so no MIB is found; and no complaint about it.
    netsnmp_set_mib_directory("");
    netsnmp_ds_set_boolean(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_MIB_ERRORS, 0);
    netsnmp_ds_set_int(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_MIB_WARNINGS, 0);
    // Without a handler of its own the library logs to the host's standard
    // error; our own log says what failed.
    netsnmp_register_loghandler(NETSNMP_LOGHANDLER_NONE, LOG_EMERG);
}

}  // namespace

std::recursive_mutex& pms_v3_library_lock() {
    static std::recursive_mutex lock;
    return lock;
}

V3LibraryUse::V3LibraryUse() {
    std::lock_guard<std::recursive_mutex> guard(pms_v3_library_lock());
    if (g_users++ != 0) return;
    g_host_initialised = library_running();
    if (g_host_initialised) return;
    keep_out_of_the_host();
    init_snmp(kApplicationType);
}

V3LibraryUse::~V3LibraryUse() {
    std::lock_guard<std::recursive_mutex> guard(pms_v3_library_lock());
    if (--g_users == 0 && !g_host_initialised) snmp_shutdown(kApplicationType);
}
