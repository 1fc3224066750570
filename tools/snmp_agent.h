// The tool's way to one agent: the public get-data facade where it can do
// the job (walks and sets over SNMPv1, everything over SNMPv3), the session
// dispatcher where the facade cannot (typed answers to a get, the SNMPv2c
// version code, the agent's error status after a set).
#ifndef PMSNMP_TOOLS_SNMP_AGENT_H
#define PMSNMP_TOOLS_SNMP_AGENT_H

#include "endpoint.h"
#include "mib_reader.h"

#include <string>
#include <vector>

class IPmsPdu;
class IPmsSnmpTarget;

namespace pmtool {

struct AgentOptions {
    Endpoint host;
    pmc_long version = PMS_VERSION_1;
    std::string community = "public";
    std::string user;
    pmc_long security_level = PMS_SEC_NO_AUTH_NO_PRIV;
    pmc_long auth_protocol = 0;
    pmc_long priv_protocol = 0;
    std::string auth_pass;
    std::string priv_pass;
    std::string context;
    pmc_long timeout_ms = 1000;
    pmc_long retries = 1;
    pmc_ulong max_size = 0;  // 0: the library's limit for the address kind
};

class SnmpAgent : public MibReader {
public:
    explicit SnmpAgent(AgentOptions options) : options_(std::move(options)) {}

    pmc_long get(const std::string& oid, Binding* out) override;
    pmc_long walk(const std::string& root, Bindings* out) override;

    // One GetRequest for all identifiers; objects the agent lacks come back
    // as noSuchObject bindings (SNMPv1 noSuchName included).
    pmc_long get_many(const std::vector<std::string>& oids, Bindings* out);

    // One GetRequest for all identifiers, as snmpget asks: each error status
    // the agent answers goes to *errors; when it names an object and
    // ask_again is set, the request goes again without that object. *out
    // holds the bindings of the answer without error, if one came.
    pmc_long get_reporting(const std::vector<std::string>& oids, bool ask_again, Bindings* out,
                           std::vector<AgentError>* errors);

    // Sets the INTEGER oid.instance to value; *written (if given) gets the
    // identifier set, in dotted decimal.
    pmc_long set_integer(const std::string& oid, const std::string& instance, pmc_long value,
                         std::string* written = nullptr);

    // One line saying why the last failing operation failed.
    const std::string& reason() const { return reason_; }

    const AgentOptions& options() const { return options_; }

private:
    pmc_long fail(pmc_long status);
    pmc_long agent_error(pmc_long error_status, pmc_long error_index, const std::vector<std::string>& oids);
    pmc_long make_target(IPmsSnmpTarget** out);
    pmc_long exchange(IPmsPdu* pdu, pmc_long type);
    pmc_long get_bindings(const std::vector<std::string>& oids, std::vector<AgentError>* errors,
                          bool ask_again, Bindings* out);
    pmc_long walk_with_facade(const std::string& root, Bindings* out);
    pmc_long walk_with_get_next(const std::string& root, Bindings* out);

    AgentOptions options_;
    std::string reason_;
};

// The one-line text for a library status, in the context of options
// (host, time-out, version).
std::string describe_status(pmc_long status, const AgentOptions& options);

// The SNMP error-status name ("noSuchName", "readOnly", ...).
std::string error_status_name(pmc_long error_status);

}  // namespace pmtool

#endif
