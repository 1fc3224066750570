#include "session/v3_library.h"

#include "session/v3_platform.h"

#include <net-snmp/net-snmp-config.h>
#include <net-snmp/net-snmp-includes.h>
#include <net-snmp/library/snmp_secmod.h>
#include <net-snmp/library/snmpusm.h>

namespace {

// An empty application type: no application configuration file is named.
const char* const kApplicationType = "";

// Guarded by pms_v3_library_lock().
bool g_started = false;
bool g_host_initialised = false;
int g_users = 0;
int g_sessions = 0;

bool library_running() { return find_sec_mod(USM_SEC_MODEL_NUMBER) != nullptr; }

// Must precede init_snmp: it reads configuration and persistent files and
// MIBs as soon as it runs.
void keep_out_of_the_host() {
    netsnmp_ds_set_boolean(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_DONT_READ_CONFIGS, 1);
    netsnmp_ds_set_boolean(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_DONT_PERSIST_STATE, 1);
    netsnmp_ds_set_boolean(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_DISABLE_PERSISTENT_LOAD, 1);
    netsnmp_ds_set_boolean(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_DISABLE_PERSISTENT_SAVE, 1);
    netsnmp_ds_set_boolean(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_DONT_LOAD_HOST_FILES, 1);
    // No MIB directory, so no MIB is found; and no complaint about it. A
    // library built without MIB loading has neither.
#ifndef NETSNMP_DISABLE_MIB_LOADING
    netsnmp_set_mib_directory("");
#endif
    netsnmp_ds_set_boolean(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_MIB_ERRORS, 0);
    netsnmp_ds_set_int(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_MIB_WARNINGS, 0);
    // Without a handler of its own the library logs to the host's standard
    // error; our own log says what failed.
    netsnmp_register_loghandler(NETSNMP_LOGHANDLER_NONE, LOG_EMERG);
}

// What the operations taught the library: users with their keys and engine
// times. Kept, a later request with a wrong pass phrase would still be
// sent with the keys of an earlier right one.
void forget_users() {
    for (usmUser* user = usm_get_userList(); user != nullptr; user = usm_get_userList()) {
        usm_remove_user(user);  // answers the list's new head, not the user
        if (usm_get_userList() == user) break;
        usm_free_user(user);
    }
    free_etimelist();
}

// Nothing running and nothing kept open: what the library learned goes.
void forget_when_unused() {
    if (g_users == 0 && g_sessions == 0 && !g_host_initialised) forget_users();
}

}  // namespace

std::recursive_mutex& pms_v3_library_lock() {
    static std::recursive_mutex lock;
    return lock;
}

void pms_v3_library_session_opened() { ++g_sessions; }

void pms_v3_library_session_closed() {
    --g_sessions;
    forget_when_unused();
}

V3LibraryUse::V3LibraryUse() {
    std::lock_guard<std::recursive_mutex> guard(pms_v3_library_lock());
    pms_v3_sockets_start();
    ++g_users;
    if (g_started) return;
    g_started = true;
    g_host_initialised = library_running();
    if (g_host_initialised) return;
    keep_out_of_the_host();
    init_snmp(kApplicationType);
}

V3LibraryUse::~V3LibraryUse() {
    std::lock_guard<std::recursive_mutex> guard(pms_v3_library_lock());
    --g_users;
    forget_when_unused();
    pms_v3_sockets_stop();
}
