// What a Net-SNMP session is opened with, taken from a user-based target:
// version, retries, time-out, user, security level, protocols, keys from
// the pass phrases, context, engine identifier and the peer text.
#ifndef PMSNMP_SESSION_V3_SESSION_FIELDS_H
#define PMSNMP_SESSION_V3_SESSION_FIELDS_H

#include <string>
#include <vector>

#include <net-snmp/net-snmp-config.h>
#include <net-snmp/net-snmp-includes.h>

#include "message/snmp_target.h"
#include "net/network_address.h"

// Library version of a version code: 0, 1, 3, or -1 for an unknown code.
long pms_v3_library_version(pmc_long version_code);

// Security levels: our code of a library level and back; -1 for none.
pmc_long pms_v3_level_code(int library_level);
int pms_v3_library_level(pmc_long level_code);

// The peer text of an address: "udp6:[text]:port", "text:port" or
// "ipx:text/port"; port is the address's, else fallback_port, else none.
// -2 for another kind.
pmc_long pms_v3_peer_text(CPmcNetworkAddress* address, unsigned short fallback_port,
                          std::string* peer);

// The key under which an agent's engine and sessions are kept: the host's
// octets (text only for an address without a socket address) and the
// port, the address's else fallback_port. -2 for a missing address; -3.
pmc_long pms_v3_agent_key(CPmcNetworkAddress* address, unsigned short fallback_port,
                          std::string* key);

// Owns the texts and octets a netsnmp_session points at while it is opened
// (the library copies them).
class V3SessionFields {
public:
    // Fills session (already snmp_sess_init'ed) from target. -2 for a
    // target that is not user-based SNMPv3, an unknown level or protocol
    // code, a user name beyond 32 characters or an address of no kind;
    // a failing key localisation gives its mapped status after a report.
    pmc_long fill(IPmsSnmpTarget* target, netsnmp_session* session);

private:
    pmc_long fill_security(IPmsV3Target* v3, netsnmp_session* session);
    // Copies protocol (null: -2) into store and points field at it.
    static pmc_long set_protocol(const oid* protocol, oid* store, oid** field, size_t* length);

    char security_name_[PMS_V3_USER_NAME_MAX + 1] = {};
    std::string context_;
    std::string peer_;
    std::vector<u_char> engine_id_;
    oid auth_protocol_[USM_AUTH_PROTO_MD5_LEN] = {};
    oid priv_protocol_[USM_PRIV_PROTO_DES_LEN] = {};
};

#endif
