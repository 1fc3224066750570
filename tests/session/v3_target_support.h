// SNMPv3 targets for the users of tests/support/snmpd_v3.conf.
#ifndef PMSNMP_TESTS_SESSION_V3_TARGET_SUPPORT_H
#define PMSNMP_TESTS_SESSION_V3_TARGET_SUPPORT_H

#include <pmsnmp/owned.h>
#include <pmsnmp/pdu.h>

#include "message/snmp_target.h"
#include "net/network_address.h"

namespace session_test {

inline pmc::Owned<IPmsSnmpTarget> make_user_target(const char* address, unsigned short port,
                                             const char* user, pmc_long auth = PMS_AUTH_SHA,
                                             pmc_long timeout_ms = 300) {
    pmc::Owned<IPmsSnmpTarget> target(create_v3_target(nullptr));
    target->set_version(PMS_VERSION_3);
    target->set_timeout(timeout_ms);
    pmc::Owned<CPmcNetworkAddress> where(pmc_create_network_address_from_text(address, port, nullptr));
    target->set_address(where.get());
    void* view = nullptr;
    target->query_interface(PMS_IID_V3_TARGET, &view);
    auto* v3 = static_cast<IPmsV3Target*>(view);
    v3->set_user_name(user);
    v3->set_security_level(PMS_SEC_AUTH_PRIV);
    v3->set_auth_protocol(auth);
    v3->set_priv_protocol(PMS_PRIV_AES);
    v3->set_auth_pass_phrase("pmsshapass");
    v3->set_priv_pass_phrase("pmsaespass");
    return target;
}

}  // namespace session_test

#endif
