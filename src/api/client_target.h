// Targets from plain options: the one place that decides community or
// user-based, the version sent, time-out, retries and the size cap.
#ifndef PMSNMP_API_CLIENT_TARGET_H
#define PMSNMP_API_CLIENT_TARGET_H

#include <string>

#include <pmsnmp/owned.h>
#include <pmsnmp/types.h>

class CPmcNetworkAddress;
class IPmsSnmpTarget;

// Largest message a request may be built into, by address kind.
constexpr pmc_ulong PMC_MAX_MESSAGE_IP = 1400;
constexpr pmc_ulong PMC_MAX_MESSAGE_OTHER = 546;

namespace NPmcClient {

struct TargetOptions {
    std::string address;  // numeric text
    pmc_long address_kind = PMC_ADDRESS_NONE;
    unsigned short port = 0;
    // PMS_VERSION_3 makes a user-based target, anything else a community one.
    pmc_long version = PMS_VERSION_1;
    std::string community;
    std::string security_name;
    pmc_long security_level = PMS_SEC_NO_AUTH_NO_PRIV;
    pmc_long auth_protocol = 0;
    pmc_long priv_protocol = 0;
    std::string auth_pass_phrase;
    std::string priv_pass_phrase;
    std::string context_name;
    pmc_long timeout_ms = 1000;
    pmc_long retries = 1;
    pmc_ulong max_message_size = 0;  // 0: the cap of the address kind
};

// requested, or the cap of the address kind when it is 0 or larger.
pmc_ulong message_size_limit(pmc_long address_kind, pmc_ulong requested);

// The agent's address from options.address, address_kind and port.
pmc_long make_address(const TargetOptions& options, pmc::Owned<CPmcNetworkAddress>* out);

// A target for address (copied) built from options; *out is new.
pmc_long make_target(const TargetOptions& options, CPmcNetworkAddress* address,
                     pmc::Owned<IPmsSnmpTarget>* out);
// The same, resolving the address from options first.
pmc_long make_target(const TargetOptions& options, pmc::Owned<IPmsSnmpTarget>* out);

}  // namespace NPmcClient

#endif
