// The tool's way to one agent, over the library's client layer: gets that
// report errors as snmpget does, walks, sets, and a one-line reason for
// each failure.
#ifndef PMSNMP_TOOLS_SNMP_AGENT_H
#define PMSNMP_TOOLS_SNMP_AGENT_H

#include "api/client_target.h"
#include "api/client_walk.h"
#include "agent/endpoint.h"
#include "printer/mib_reader.h"

#include <string>
#include <vector>

namespace pmtool {

// The agent and how to reach it; target's address, kind and port come from
// host when a request is made.
struct AgentOptions {
    Endpoint host;
    NPmcClient::TargetOptions target;
    // Walks over SNMPv2c and SNMPv3 use GetBulk unless this is false.
    bool bulk = true;
    pmc_long max_repetitions = 0;  // 0: as many as fit the size cap

    AgentOptions() { target.community = "public"; }
};

class SnmpAgent : public MibReader {
public:
    explicit SnmpAgent(AgentOptions options) : options_(std::move(options)) {}

    pmc_long get(const std::string& oid, Binding* out) override;
    pmc_long walk(const std::string& root, Bindings* out) override;
    // Over SNMPv2c and SNMPv3 with bulk reads: one GetRequest, and GetBulk
    // requests that read all the columns together.
    bool batches() const override { return bulk_reads(); }
    pmc_long get_objects(const std::vector<std::string>& oids, Bindings* out) override;
    pmc_long walk_columns(const std::vector<std::string>& roots, const Enough& enough,
                          std::vector<Bindings>* out) override;

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
    static constexpr const char* kObjectExample = "1.3.6.1.2.1.1.5.0";
    static constexpr const char* kSubtreeExample = "1.3.6.1.2.1.43";
    // texts in numeric form into *oids; false, with the reason, at the
    // first that is not an identifier.
    bool numeric_oids(const std::vector<std::string>& texts, const char* example, std::vector<std::string>* oids);
    pmc_long fail(pmc_long status);
    pmc_long agent_error(pmc_long error_status, pmc_long error_index, const std::vector<std::string>& oids);
    NPmcClient::TargetOptions target() const;
    pmc_long get_bindings(const std::vector<std::string>& oids, std::vector<AgentError>* errors,
                          bool ask_again, Bindings* out);
    NPmcClient::WalkResult walk_subtree(const std::string& root, Bindings* out) const;
    bool bulk_reads() const;
    pmc_long walk_ended(const NPmcClient::WalkResult& result, const std::string& what);

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
